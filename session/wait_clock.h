#pragma once
// The clock of the wait window: a bar that only moves, and a limit of about
// 30 s on a transfer. Shared by the window and the command line.
namespace vm {

class WaitClock {
public:
    static constexpr int kTickMs = 100;
    static constexpr int kMaxTicks = 300; // the tick after the 301st gives up

    void Start() {
        ticks_ = 0;
        progress_ = 0;
    }
    // One tick; true when the wait is over (the 302nd tick since Start).
    bool Tick() {
        if (ticks_ > kMaxTicks) return true;
        ++ticks_;
        progress_ = progress_ >= 100 ? 0 : progress_ + 1;
        return false;
    }
    int ticks() const { return ticks_; }
    int progress() const { return progress_; }

private:
    int ticks_ = 0;
    int progress_ = 0;
};

// What the user is told when the wait is over.
inline const char* kUpdateTimeoutText = " Update timeout ";

} // namespace vm
