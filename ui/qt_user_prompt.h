#pragma once
// UserPrompt with the standard message boxes.
#include "session/user_prompt.h"

class QWidget;

namespace vm {

class QtUserPrompt : public UserPrompt {
public:
    // parent: the window the boxes are centred over (may be null).
    explicit QtUserPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const QString& text) override;
    bool Confirm(const QString& text) override;
    void ShowError(const QString& text) override;
    bool ConfirmWarning(const QString& text) override;
    bool ConfirmDefaultNo(const QString& text) override;
    QString AskOpenFile(const QString& filter, const QString& start) override;
    QString AskSaveFile(const QString& filter, const QString& defaultSuffix, const QString& start) override;

private:
    QWidget* parent_;
};

} // namespace vm
