#pragma once
// "USB": the window in which the user picks the unit from the attached
// adapters. It closes the link while it is shown and hands the chosen
// description to the main window's Connect.
#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <functional>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace vm {

class UsbThread;

// What the window needs of the link: three calls.
struct UsbSelectLink {
    std::function<void()> close;
    std::function<QStringList()> enumerate;
    std::function<void(const QString& description)> connect;

    // Closes and enumerates through the link thread; connect is the main window's.
    static UsbSelectLink Over(UsbThread& thread, std::function<void(const QString&)> connect);
};

class TUSB_SelectForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kListIntervalMs = 300;

    explicit TUSB_SelectForm(UsbSelectLink link, QWidget* parent = nullptr);

    // Each activation: close the link, list the devices, select the first, watch for changes.
    void FormActivate();
    // Every 300 ms: relist when the number of devices changed.
    void TimerUsbListTimer();
    void BtnOpenClick();
    void BtnCancelClick();

    QListWidget& list() { return *ListBox1; }
    QTimer& timerUsbList() { return TimerUsbList; }

    void done(int result) override;

protected:
    bool event(QEvent* event) override;

private:
    void fillList(const QStringList& descriptions);

    UsbSelectLink link_;
    QListWidget* ListBox1 = nullptr;
    QPushButton* BtnOpen = nullptr;
    QPushButton* BtnCancel = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QTimer TimerUsbList;
};

} // namespace vm
