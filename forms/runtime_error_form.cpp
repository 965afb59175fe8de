#include "forms/runtime_error_form.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vm {

TRunTimeErrorForm::TRunTimeErrorForm(ServiceContext& context, QWidget* parent)
    : QDialog(parent), logic_(context.unit) {
    setObjectName(QStringLiteral("RunTimeErrorForm"));
    setWindowTitle(QStringLiteral("Runtime ERROR"));
    resize(480, 460);
    MemoErrorLog = new QPlainTextEdit(this);
    MemoErrorLog->setObjectName(QStringLiteral("MemoErrorLog"));
    MemoErrorLog->setReadOnly(true);
    MemoErrorLog->setMaximumBlockCount(4000); // 255 entries of 6 lines and the answers
    auto* buttons = new QHBoxLayout;
    const struct {
        const char* name;
        const char* caption;
        void (ErrorLogLogic::*click)();
    } kButtons[] = {{"BtnResetLog", "ResetLog", &ErrorLogLogic::ResetLog},
                    {"BtnResetSystemLog", "Reset System Log", &ErrorLogLogic::ResetSystemLog},
                    {"BtnReboot", "Reboot", &ErrorLogLogic::Reboot}};
    for (const auto& b : kButtons) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
        connect(button, &QPushButton::clicked, &logic_, b.click);
        buttons->addWidget(button);
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BtnOK"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MemoErrorLog);
    layout->addLayout(buttons);
    connect(&logic_, &ErrorLogLogic::lineAdded, MemoErrorLog, &QPlainTextEdit::appendPlainText);
}

void TRunTimeErrorForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TRunTimeErrorForm::FormActivate() {
    MemoErrorLog->clear();
    logic_.Start();
}

QString TRunTimeErrorForm::text() const { return MemoErrorLog->toPlainText(); }

} // namespace vm
