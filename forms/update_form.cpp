#include "forms/update_form.h"

#include "session/user_prompt.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vm {

TUpdateForm::TUpdateForm(UserPrompt& prompt, QWidget* parent) : QDialog(parent), prompt_(prompt) {
    setObjectName(QStringLiteral("UpdateForm"));
    setWindowTitle(QStringLiteral("Update Voltmast"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Updating settings"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(BtnCancel, 0, Qt::AlignHCenter);
    resize(320, 120);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(kTickMs);
    connect(&Timer1, &QTimer::timeout, this, &TUpdateForm::Timer1Timer);
    connect(BtnCancel, &QPushButton::clicked, this, &TUpdateForm::cancelRequested);
}

int TUpdateForm::progress() const { return ProgressBar1->value(); }

void TUpdateForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TUpdateForm::FormActivate() {
    clock_.Start();
    ProgressBar1->setValue(clock_.progress());
    Timer1.start();
}

void TUpdateForm::Timer1Timer() {
    if (clock_.Tick()) {
        Timer1.stop();
        prompt_.ShowMessage(QString::fromLatin1(kUpdateTimeoutText));
        closingItself_ = true;
        close();
        closingItself_ = false;
        return;
    }
    ProgressBar1->setValue(clock_.progress());
}

void TUpdateForm::CloseWaitWindow() {
    Timer1.stop();
    closingItself_ = true;
    close();
    closingItself_ = false;
}

void TUpdateForm::reject() {
    if (!closingItself_) {
        Q_EMIT cancelRequested(); // whoever runs the transfer stops it and closes us
        if (!isVisible()) return;
    }
    Timer1.stop();
    QDialog::reject();
}

} // namespace vm
