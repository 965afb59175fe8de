#pragma once
// The prompt of the command line: messages go to stderr, questions are
// answered from the command's options, overwriting is allowed.
#include "session/user_prompt.h"

#include <QMap>
#include <ostream>

namespace vm::cli {

class CliPrompt : public UserPrompt {
public:
    explicit CliPrompt(std::ostream& err) : err_(err) {}

    // The answer to a question; questions not listed are answered No.
    void answer(const QString& question, bool yes) { answers_[question] = yes; }

    void ShowMessage(const QString& text) override { err_ << text.toStdString() << std::endl; }
    bool Confirm(const QString& text) override { return answers_.value(text, false); }
    bool ConfirmWarning(const QString&) override { return true; } // a script names the file it means
    QString AskOpenFile(const QString&, const QString& start) override { return start; }
    QString AskSaveFile(const QString&, const QString&, const QString& start) override { return start; }

private:
    std::ostream& err_;
    QMap<QString, bool> answers_;
};

} // namespace vm::cli
