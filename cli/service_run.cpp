#include "cli/service_run.h"

#include "cli/cli_link.h"
#include "link/usb_thread.h"

#include <QEventLoop>
#include <QTimer>

namespace vm::cli {

ServiceRun::ServiceRun(CliLink& link) : link_(link), unit_(link.link(), nullptr) {
    unit_.SetConnected(true);
    QObject::connect(&link.link(), &UsbThread::bytesReceived, &unit_, &UnitSession::PutBytes);
    QObject::connect(&link.link(), &UsbThread::receiveGap, &unit_, &UnitSession::OnReceiveGap);
    QObject::connect(&link.link(), &UsbThread::deviceLost, &unit_, &UnitSession::OnDeviceLost);
    QObject::connect(&link.link(), &UsbThread::deviceReopened, &unit_,
                     [this] { unit_.OnDeviceReopened(link_.link().pendingFrames()); });
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
