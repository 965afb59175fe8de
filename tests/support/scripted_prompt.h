#pragma once
// A UserPrompt that records what was shown and answers from a script, for
// tests and unattended runs.
#include "session/user_prompt.h"

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

    void ShowError(const QString& text) override { errors << text; }
    QString AskOpenFile(const QString&, const QString& start) override {
        starts << start;
        return takeFile();
    }
    QString AskSaveFile(const QString&, const QString&, const QString& start) override {
        starts << start;
        return takeFile();
    }

    QStringList messages;
    QStringList errors;
    QStringList starts;    // where each file dialog started
    QStringList files;     // answers of the file dialogs, consumed in order
    QStringList questions;
    std::deque<bool> answers; // consumed in order
    bool defaultAnswer = false;

private:
    QString takeFile() { return files.isEmpty() ? QString() : files.takeFirst(); }
};

} // namespace vm
