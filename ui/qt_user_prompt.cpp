#include "ui/qt_user_prompt.h"

#include "session/window_title.h"

#include <QFileDialog>
#include <QMessageBox>

namespace vm {

void QtUserPrompt::ShowMessage(const QString& text) {
    QMessageBox::information(parent_, kProgramTitle, text);
}

bool QtUserPrompt::Confirm(const QString& text) {
    return QMessageBox::question(parent_, QStringLiteral("Confirm"), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void QtUserPrompt::ShowError(const QString& text) { QMessageBox::critical(parent_, kProgramTitle, text); }

bool QtUserPrompt::ConfirmDefaultNo(const QString& text) {
    return QMessageBox::question(parent_, QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool QtUserPrompt::ConfirmWarning(const QString& text) {
    return QMessageBox::warning(parent_, kProgramTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

QString QtUserPrompt::AskOpenFile(const QString& filter, const QString& start) {
    return QFileDialog::getOpenFileName(parent_, QString(), start, filter);
}

QString QtUserPrompt::AskSaveFile(const QString& filter, const QString& defaultSuffix, const QString& start) {
    QFileDialog dialog(parent_, QString(), start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    // We ask about overwriting ourselves, in our own words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                 : QString();
}

} // namespace vm
