#include "ui/qt_user_prompt.h"

#include "app/window_title.h"

#include <QMessageBox>

namespace vm {

void QtUserPrompt::ShowMessage(const QString& text) {
    QMessageBox::information(parent_, kProgramTitle, text);
}

bool QtUserPrompt::Confirm(const QString& text) {
    return QMessageBox::question(parent_, QStringLiteral("Confirm"), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

} // namespace vm
