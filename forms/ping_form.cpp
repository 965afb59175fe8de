#include "forms/ping_form.h"

#include "session/user_prompt.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vm {

TPingForm::TPingForm(ServiceContext& context, QWidget* parent)
    : QDialog(parent), context_(context), logic_(context.unit) {
    setObjectName(QStringLiteral("PingForm"));
    setWindowTitle(QStringLiteral("Ping"));
    resize(520, 420);
    auto* grid = new QGridLayout(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setMaximumBlockCount(5000); // timed pinging runs for hours
    BtnPing = new QPushButton(QStringLiteral("Ping"), this);
    BtnPing->setObjectName(QStringLiteral("BtnPing"));
    BtnTimer = new QPushButton(QStringLiteral("Start timer"), this);
    BtnTimer->setObjectName(QStringLiteral("BtnTimer"));
    TimeEdit = new QLineEdit(QString::number(PingLogic::kDefaultIntervalMs), this);
    TimeEdit->setObjectName(QStringLiteral("TimeEdit"));
    auto* label1 = new QLabel(QStringLiteral("Error count :"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    LabelErrorCount = new QLabel(QStringLiteral("0"), this);
    LabelErrorCount->setObjectName(QStringLiteral("LabelErrorCount"));
    grid->addWidget(Memo1, 0, 0, 1, 5);
    grid->addWidget(BtnPing, 1, 0);
    grid->addWidget(BtnTimer, 1, 1);
    grid->addWidget(TimeEdit, 1, 2);
    grid->addWidget(label1, 1, 3);
    grid->addWidget(LabelErrorCount, 1, 4);

    connect(BtnPing, &QPushButton::clicked, this, &TPingForm::BtnPingClick);
    connect(BtnTimer, &QPushButton::clicked, this, &TPingForm::BtnTimerClick);
    connect(&logic_, &PingLogic::lineAdded, Memo1, &QPlainTextEdit::appendPlainText);
    connect(&logic_, &PingLogic::errorCountChanged, LabelErrorCount,
            [this](int n) { LabelErrorCount->setText(QString::number(n)); });
}

void TPingForm::BtnPingClick() { logic_.SendPing(); }

void TPingForm::BtnTimerClick() {
    if (logic_.timerRunning()) {
        logic_.StopTimer();
        BtnTimer->setText(QStringLiteral("Start timer"));
        return;
    }
    if (const auto refused = logic_.StartTimer(TimeEdit->text())) {
        context_.prompt.ShowError(*refused);
        return;
    }
    BtnTimer->setText(QStringLiteral("Stop timer"));
}

void TPingForm::FormClose() { logic_.StopTimer(); }

void TPingForm::done(int result) {
    FormClose();
    QDialog::done(result);
}

} // namespace vm
