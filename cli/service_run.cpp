#include "cli/service_run.h"

#include "cli/cli_link.h"
#include "link/usb_thread.h"

#include <QEventLoop>
#include <QTimer>

namespace vm::cli {

void ConnectSession(CliLink& link, UnitSession& unit) {
    unit.SetConnected(true);
    UsbThread* usb = &link.link();
    QObject::connect(usb, &UsbThread::bytesReceived, &unit, &UnitSession::PutBytes);
    QObject::connect(usb, &UsbThread::receiveGap, &unit, &UnitSession::OnReceiveGap);
    QObject::connect(usb, &UsbThread::deviceLost, &unit, &UnitSession::OnDeviceLost);
    QObject::connect(usb, &UsbThread::deviceReopened, &unit,
                     [usb, &unit] { unit.OnDeviceReopened(usb->pendingFrames()); });
}

ServiceRun::ServiceRun(CliLink& link) : link_(link), unit_(link.link(), nullptr) {
    ConnectSession(link, unit_);
}

bool ServiceRun::RunUntil(const std::function<bool()>& pred, int ms) { return RunEventsUntil(pred, ms); }

bool RunEventsUntil(const std::function<bool()>& pred, int ms) {
    if (pred()) return true;
    QEventLoop loop;
    QTimer deadline, check;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (pred()) loop.quit();
    });
    deadline.start(ms);
    check.start(ms > 5000 ? 20 : 1); // long waits (a log, a monitor) need not poll so often
    loop.exec();
    return pred();
}

void ServiceRun::Drain() {
    RunUntil([this] { return link_.link().pendingFrames() == 0; }, 2000);
    RunUntil([] { return false; }, 30); // the last frame leaves the port's buffer
}

} // namespace vm::cli
