#pragma once
// Everything that asks the user something goes through here: the windows
// answer with dialogs, the command line from its options, tests from a script.
#include <QString>

namespace vm {

class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    // A message the user acknowledges.
    virtual void ShowMessage(const QString& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool Confirm(const QString& text) = 0;
    // A failure the user must know about.
    virtual void ShowError(const QString& text) { ShowMessage(text); }
    // A Yes/No question about something that cannot be undone.
    virtual bool ConfirmWarning(const QString& text) { return Confirm(text); }
    // A Yes/No question whose safe answer, and default, is No.
    virtual bool ConfirmDefaultNo(const QString& text) { return Confirm(text); }
    // File dialogs: the chosen path, empty when the user cancels. filter as
    // "config files (*.cfg)"; start is a folder or a file to preselect.
    virtual QString AskOpenFile(const QString& filter, const QString& start) = 0;
    virtual QString AskSaveFile(const QString& filter, const QString& defaultSuffix, const QString& start) = 0;
};

} // namespace vm
