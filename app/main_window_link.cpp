// Connection state, received bytes and the timers that talk to the unit.
#include "app/main_window.h"

#include "link/usb_thread.h"

namespace vm {

void TMainForm::ConnectLink() {
    connect(link_.get(), &UsbThread::bytesReceived, this, &TMainForm::ReceiveBytes);
    connect(link_.get(), &UsbThread::deviceLost, this, &TMainForm::OnDeviceLost);
    connect(link_.get(), &UsbThread::deviceReopened, this, &TMainForm::OnDeviceReopened);
}

void TMainForm::Connect(const QString& description) {
    if (link_->Open(description)) {
        session_.connected = 1;
        TimerSerial.start();
        SetStatusText(0, QStringLiteral("USB CONNECTED"));
    } else {
        SetStatusText(0, QStringLiteral("NOT CONNECTED"));
    }
}

void TMainForm::OnDeviceLost() {
    if (session_.connected) SetStatusText(0, QStringLiteral("USB DISCONNECTED"));
    ResetLiveDisplay();
    session_.unitVersion.clear();
}

void TMainForm::OnDeviceReopened() {
    TimerSerial.start();
    SetStatusText(0, QStringLiteral("USB CONNECTED"));
}

void TMainForm::ReceiveBytes(const QByteArray& bytes) {
    assembler_.PutBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()), int(bytes.size()));
}

void TMainForm::Dispatch(const LinkPacket& packet) { dispatcher_.Dispatch(packet); }

// The live display arrives with the status pages.
void TMainForm::ResetLiveDisplay() {}

void TMainForm::Timer1Timer() {}

void TMainForm::TimerVersionTimer() { RebuildTitle(); }

void TMainForm::TimerSerialTimer() {
    TimerSerial.stop();
    BtnLoadClick();
}

} // namespace vm
