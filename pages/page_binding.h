#pragma once
// Ties controls to store fields. Showing a stored value runs under
// QSignalBlocker, changes nothing and never cuts a text; only what the user
// does (textEdited, activated, clicked) reaches the write-back.
#include "session/page_rules.h"

#include <QString>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace vm {

// Text edits: maxLength for typing; a stored text that is longer still shows whole.
void BindText(QLineEdit* edit, int maxLength, std::function<void(const QString&)> write);
// Number edits: accept what the rule allows (',' typed becomes '.'), replace
// a value beyond the limit by its limit text, then write the text.
void BindNumber(QLineEdit* edit, rules::NumberEdit rule, int maxLength, std::function<void(const QString&)> write);
// Edits with their own rule: `accepts` refuses a keystroke that would leave an
// unacceptable text, `apply` gives the text the edit keeps (and writes).
using TextRule = bool (*)(QStringView);
void BindRule(QLineEdit* edit, int maxLength, TextRule accepts, QString (*apply)(const QString&),
              std::function<void(const QString&)> write);
// Boxes write the index the user picked.
void BindIndex(QComboBox* box, std::function<void(int)> write);
void BindCheck(QCheckBox* check, std::function<void(bool)> write);

// Showing stored values. A text equal to the shown one is left alone (the
// cursor stays where the user is typing); an index the box does not have
// shows nothing selected.
void ShowText(QLineEdit* edit, const QString& text);
void ShowIndex(QComboBox* box, int index);
void ShowCheck(QCheckBox* check, bool checked);

// Runs a write-back with the page marked as the writer, so the store's change
// signal does not redraw what the user is editing.
class WritingGuard {
public:
    explicit WritingGuard(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~WritingGuard() { flag_ = was_; }
    WritingGuard(const WritingGuard&) = delete;
    WritingGuard& operator=(const WritingGuard&) = delete;

private:
    bool& flag_;
    bool was_;
};

} // namespace vm
