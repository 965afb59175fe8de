#pragma once
// The wait seam without windows: an event loop with the wait window's clock,
// for the command line and for tests.
#include "session/wait_seam.h"

#include <functional>

class QEventLoop;

namespace vm {

class UserPrompt;

class EventLoopWait : public WaitSeam {
public:
    explicit EventLoopWait(UserPrompt& prompt) : prompt_(prompt) {}

    // Runs before each version check (the command line asks at once instead
    // of at the next keep-alive tick).
    std::function<void()> beforeVersionCheck;

    void RunVersionCheck(VersionCheck& check) override;
    WaitResult RunWait() override;
    void EndWait(WaitResult result) override;

private:
    UserPrompt& prompt_;
    QEventLoop* loop_ = nullptr; // the running wait
    WaitResult result_ = WaitResult::TimedOut;
};

} // namespace vm
