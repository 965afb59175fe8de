// Connection state, received bytes and the timers that talk to the unit.
#include "app/main_window.h"

#include "session/user_prompt.h"
#include "pages/general_page.h"
#include "link/usb_thread.h"

namespace vm {

void TMainForm::ConnectLink() {
    connect(link_.get(), &UsbThread::bytesReceived, this, &TMainForm::ReceiveBytes);
    connect(link_.get(), &UsbThread::receiveGap, &unit_, &UnitSession::OnReceiveGap);
    connect(link_.get(), &UsbThread::deviceLost, this, &TMainForm::OnDeviceLost);
    connect(link_.get(), &UsbThread::deviceReopened, this, &TMainForm::OnDeviceReopened);
    connect(&unit_, &UnitSession::titleRebuildRequested, this, &TMainForm::RebuildTitle);
    // The General page labels carry the names: "5: Beacon".
    connect(&store_, &ConfigStore::nameChanged, this, [this](ConfigStore::Block block, int n, const QString& name) {
        if (block == ConfigStore::Block::Output) General->SetOutputName(n, name);
        else if (block == ConfigStore::Block::Input) General->SetInputName(n, name);
        else if (block == ConfigStore::Block::CanRule) General->SetCanInputName(n, name);
    });
}

void TMainForm::Connect(const QString& description) {
    if (link_->Open(description)) {
        unit_.SetConnected(true);
        TimerSerial.start();
        SetStatusText(0, QStringLiteral("USB CONNECTED"));
    } else {
        SetStatusText(0, QStringLiteral("NOT CONNECTED"));
    }
}

void TMainForm::OnDeviceLost() {
    if (unit_.state().connected) SetStatusText(0, QStringLiteral("USB DISCONNECTED"));
    unit_.OnDeviceLost();
}

void TMainForm::OnDeviceReopened() {
    unit_.OnDeviceReopened(link_->pendingFrames());
    TimerSerial.start();
    SetStatusText(0, QStringLiteral("USB CONNECTED"));
}

void TMainForm::ReceiveBytes(const QByteArray& bytes) { unit_.PutBytes(bytes); }

void TMainForm::Dispatch(const LinkPacket& packet) { unit_.Dispatch(packet); }

void TMainForm::ResetLiveDisplay() { unit_.live().BlankLiveDisplay(); }

void TMainForm::Timer1Timer() { unit_.PollTick(); }

void TMainForm::TimerVersionTimer() { unit_.KeepAliveTick(); }

void TMainForm::TimerSerialTimer() {
    TimerSerial.stop();
    workflow_->ReadAfterConnect();
}

} // namespace vm
