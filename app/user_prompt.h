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
};

} // namespace vm
