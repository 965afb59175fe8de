#include "forms/usb_select_form.h"

#include "link/usb_thread.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vm {

UsbSelectLink UsbSelectLink::Over(UsbThread& thread, std::function<void(const QString&)> connect) {
    return {[&thread] { thread.Close(); }, [&thread] { return thread.EnumerateDevices(); },
            std::move(connect)};
}

TUSB_SelectForm::TUSB_SelectForm(UsbSelectLink link, QWidget* parent)
    : QDialog(parent), link_(std::move(link)) {
    setObjectName(QStringLiteral("USB_SelectForm"));
    setWindowTitle(QStringLiteral("USB"));

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    BtnOpen = new QPushButton(QStringLiteral("OK"), this);
    BtnOpen->setObjectName(QStringLiteral("BtnOpen"));
    BtnOpen->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    // Automatic connecting at start is not offered; the choice stays hidden.
    CheckBox1 = new QCheckBox(QStringLiteral("Auto connect"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setToolTip(QStringLiteral("Auto connect to Voltmast at program start"));
    CheckBox1->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckBox1);
    buttons->addStretch(1);
    buttons->addWidget(BtnOpen);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox1);
    layout->addLayout(buttons);
    resize(320, 220);

    TimerUsbList.setObjectName(QStringLiteral("TimerUsbList"));
    TimerUsbList.setInterval(kListIntervalMs);
    connect(&TimerUsbList, &QTimer::timeout, this, &TUSB_SelectForm::TimerUsbListTimer);
    connect(BtnOpen, &QPushButton::clicked, this, &TUSB_SelectForm::BtnOpenClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TUSB_SelectForm::BtnCancelClick);
}

bool TUSB_SelectForm::event(QEvent* event) {
    // Also when the user comes back to the open window from elsewhere.
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QDialog::event(event);
}

void TUSB_SelectForm::fillList(const QStringList& descriptions) {
    ListBox1->clear();
    ListBox1->addItems(descriptions);
    if (ListBox1->count() > 0) ListBox1->setCurrentRow(0);
}

void TUSB_SelectForm::FormActivate() {
    // The port must be free while the user chooses, and an adapter can only
    // be listed by description while nobody holds it.
    link_.close();
    fillList(link_.enumerate());
    TimerUsbList.start();
}

void TUSB_SelectForm::TimerUsbListTimer() {
    // Comparing counts only: relisting on every tick would lose the user's choice.
    const QStringList descriptions = link_.enumerate();
    if (descriptions.size() != ListBox1->count()) fillList(descriptions);
}

void TUSB_SelectForm::BtnOpenClick() {
    link_.close();
    const QListWidgetItem* item = ListBox1->currentItem();
    if (item && item->isSelected()) link_.connect(item->text());
    accept();
}

void TUSB_SelectForm::BtnCancelClick() { reject(); }

void TUSB_SelectForm::done(int result) {
    TimerUsbList.stop();
    QDialog::done(result);
}

} // namespace vm
