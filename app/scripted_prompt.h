#pragma once
// A UserPrompt that records what was shown and answers from a script, for
// tests and unattended runs.
#include "app/user_prompt.h"

#include <QStringList>
#include <deque>

namespace vm {

class ScriptedPrompt : public UserPrompt {
public:
    void ShowMessage(const QString& text) override { messages << text; }
    bool Confirm(const QString& text) override {
        questions << text;
        if (answers.empty()) return defaultAnswer;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QStringList messages;
    QStringList questions;
    std::deque<bool> answers; // consumed in order
    bool defaultAnswer = false;
};

} // namespace vm
