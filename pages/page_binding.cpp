#include "pages/page_binding.h"

#include "config/code_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolTip>
#include <QValidator>
#include <algorithm>

namespace vm {

namespace {

const char* const kTypingLength = "typingMaxLength";
// The last text of a name edit the unit can hold, to go back to.
const char* const kAcceptedText = "acceptedText";

// What a number edit takes while typing; a ',' becomes '.' on the way in.
class NumberValidator : public QValidator {
public:
    NumberValidator(rules::NumberEdit rule, QObject* parent) : QValidator(parent), rule_(rule) {}
    State validate(QString& input, int&) const override {
        input.replace(QLatin1Char(','), QLatin1Char('.'));
        return rules::AcceptsText(rule_, input) ? Acceptable : Invalid;
    }

private:
    rules::NumberEdit rule_;
};

class RuleValidator : public QValidator {
public:
    RuleValidator(TextRule accepts, QObject* parent) : QValidator(parent), accepts_(accepts) {}
    State validate(QString& input, int&) const override {
        input.replace(QLatin1Char(','), QLatin1Char('.'));
        return accepts_(input) ? Acceptable : Invalid;
    }

private:
    TextRule accepts_;
};

void SetTypingLength(QLineEdit* edit, int maxLength) {
    edit->setProperty(kTypingLength, maxLength);
    edit->setMaxLength(maxLength);
}

} // namespace

void BindText(QLineEdit* edit, int maxLength, std::function<void(const QString&)> write) {
    SetTypingLength(edit, maxLength);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, write = std::move(write)](const QString& typed) {
        // A character the unit cannot hold is refused here, with the reason,
        // rather than sent as '?' later. Length is the edit's own business.
        QString why;
        if (!CanHoldName(typed, static_cast<int>(typed.size()), &why)) {
            const QString before = edit->property(kAcceptedText).toString();
            const int cursor = std::max(0, edit->cursorPosition() - static_cast<int>(typed.size() - before.size()));
            const QSignalBlocker blocker(edit);
            edit->setText(before);
            edit->setCursorPosition(std::min(cursor, static_cast<int>(before.size())));
            QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), why, edit);
            return;
        }
        edit->setProperty(kAcceptedText, typed);
        write(typed);
    });
}

void BindNumber(QLineEdit* edit, rules::NumberEdit rule, int maxLength,
                std::function<void(const QString&)> write) {
    SetTypingLength(edit, maxLength);
    edit->setValidator(new NumberValidator(rule, edit));
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, rule, write = std::move(write)](const QString& typed) {
        const QString text = rules::ApplyRule(rule, rules::PointForComma(typed));
        if (text != edit->text()) {
            // The edit keeps the replaced text, as the unit will get it.
            const QSignalBlocker blocker(edit);
            const int cursor = edit->cursorPosition();
            edit->setText(text);
            edit->setCursorPosition(std::min<int>(cursor, text.size()));
        }
        write(text);
    });
}

void BindRule(QLineEdit* edit, int maxLength, TextRule accepts, QString (*apply)(const QString&),
              std::function<void(const QString&)> write) {
    SetTypingLength(edit, maxLength);
    if (accepts) edit->setValidator(new RuleValidator(accepts, edit));
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, apply, write = std::move(write)](const QString& typed) {
        const QString text = apply ? apply(typed) : typed;
        if (text != edit->text()) {
            const QSignalBlocker blocker(edit);
            const int cursor = edit->cursorPosition();
            edit->setText(text);
            edit->setCursorPosition(std::min<int>(cursor, text.size()));
        }
        write(text);
    });
}

void BindIndex(QComboBox* box, std::function<void(int)> write) {
    QObject::connect(box, &QComboBox::activated, box, std::move(write));
}

void BindCheck(QCheckBox* check, std::function<void(bool)> write) {
    QObject::connect(check, &QCheckBox::clicked, check, std::move(write));
}

void ShowText(QLineEdit* edit, const QString& text) {
    edit->setProperty(kAcceptedText, text);
    if (edit->text() == text) return;
    const QSignalBlocker blocker(edit);
    const int typing = edit->property(kTypingLength).isValid() ? edit->property(kTypingLength).toInt() : 32767;
    // setText cuts at maxLength: a longer stored text must show (and stay) whole.
    edit->setMaxLength(std::max<int>(typing, text.size()));
    edit->setText(text);
    edit->setCursorPosition(0);
}

void ShowIndex(QComboBox* box, int index) {
    const int shown = (index >= 0 && index < box->count()) ? index : -1;
    if (box->currentIndex() == shown) return;
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(shown);
}

void ShowCheck(QCheckBox* check, bool checked) {
    if (check->isChecked() == checked) return;
    const QSignalBlocker blocker(check);
    check->setChecked(checked);
}

} // namespace vm
