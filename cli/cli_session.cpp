#include "cli/cli_session.h"

#include "session/wait_clock.h"
#include "cli/cli_link.h"
#include "link/usb_thread.h"
#include "session/version_check.h"

#include <QEventLoop>
#include <ostream>

namespace vm::cli {

CliSession::CliSession(CliLink& link) : link_(link), unit_(link.link(), nullptr) {
    unit_.state().connected = 1;
    QObject::connect(&link.link(), &UsbThread::bytesReceived, &unit_, &UnitSession::PutBytes);
    poll_.setInterval(UnitSession::kPollMs);
    keepAlive_.setInterval(UnitSession::kKeepAliveMs);
    QObject::connect(&poll_, &QTimer::timeout, &unit_, &UnitSession::PollTick);
    QObject::connect(&keepAlive_, &QTimer::timeout, &unit_, &UnitSession::KeepAliveTick);
    poll_.start();
    keepAlive_.start();
}

CliSession::~CliSession() = default;

ConfigTransfer& CliSession::transfer() {
    if (!transfer_) transfer_ = std::make_unique<ConfigTransfer>(unit_, store_);
    return *transfer_;
}

bool CliSession::RunUntil(const std::function<bool()>& pred, int ms) {
    QEventLoop loop;
    QTimer deadline, check;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (pred()) loop.quit();
    });
    deadline.start(ms);
    check.start(5);
    if (!pred()) loop.exec();
    return pred();
}

bool CliSession::CheckVersion(std::ostream& err) {
    unit_.KeepAliveTick(); // ask at once rather than at the next tick
    VersionCheck check;
    {
        Publication publication(unit_.services(), ServiceSlot::Version, &check);
        QEventLoop wait;
        QObject::connect(&check, &VersionCheck::finished, &wait, &QEventLoop::quit);
        check.FormCreate();
        wait.exec();
    }
    const QString verdict = VerdictMessage(check.verdict());
    if (verdict.isEmpty()) return true;
    err << verdict.toStdString() << std::endl;
    return false;
}

bool CliSession::Wait(const std::function<void(std::function<void()> done)>& arm, std::ostream& err) {
    QEventLoop loop;
    bool finished = false;
    WaitClock clock;
    QTimer tick;
    tick.setInterval(WaitClock::kTickMs);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (clock.Tick()) loop.quit();
    });
    arm([&] {
        finished = true;
        loop.quit();
    });
    unit_.state().transferInProgress = 1;
    clock.Start();
    tick.start();
    if (!finished) loop.exec();
    unit_.state().transferInProgress = 0;
    if (!finished) err << kUpdateTimeoutText << std::endl;
    return finished;
}

void CliSession::Drain() {
    RunUntil([this] { return link_.link().pendingFrames() == 0; }, 2000);
    RunUntil([] { return false; }, 50); // the last frame leaves the port's buffer
}

} // namespace vm::cli
