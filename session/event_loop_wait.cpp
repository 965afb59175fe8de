#include "session/event_loop_wait.h"

#include "session/user_prompt.h"
#include "session/version_check.h"
#include "session/wait_clock.h"

#include <QEventLoop>
#include <QTimer>

namespace vm {

void EventLoopWait::RunVersionCheck(VersionCheck& check) {
    if (beforeVersionCheck) beforeVersionCheck();
    QEventLoop loop;
    QObject::connect(&check, &VersionCheck::finished, &loop, &QEventLoop::quit);
    check.Start();
    if (!check.isFinished()) loop.exec();
}

WaitResult EventLoopWait::RunWait() {
    QEventLoop loop;
    WaitClock clock;
    QTimer tick;
    tick.setInterval(WaitClock::kTickMs);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (clock.Tick()) loop.quit();
    });
    result_ = WaitResult::TimedOut;
    loop_ = &loop;
    clock.Start();
    tick.start();
    loop.exec();
    loop_ = nullptr;
    if (result_ == WaitResult::TimedOut) prompt_.ShowMessage(QString::fromLatin1(kUpdateTimeoutText));
    return result_;
}

void EventLoopWait::EndWait(WaitResult result) {
    if (!loop_) return;
    result_ = result;
    loop_->quit();
}

} // namespace vm
