#pragma once
// How a workflow waits for the unit: the window shows its modal version and
// wait windows, the command line runs an event loop. Either way the receive
// dispatch goes on meanwhile and ends the wait through EndWait.
namespace vm {

class VersionCheck;

enum class WaitResult { Done, TimedOut, Cancelled, DeviceLost };

class WaitSeam {
public:
    virtual ~WaitSeam() = default;
    // Shows the version check until it has finished (it runs its own timers).
    virtual void RunVersionCheck(VersionCheck& check) = 0;
    // Runs until EndWait or the wait's time limit; on the limit the user is told
    // " Update timeout ".
    virtual WaitResult RunWait() = 0;
    // Ends the running wait with this result; nothing when none runs (a late
    // answer may end a chain that nobody waits for).
    virtual void EndWait(WaitResult result) = 0;
};

} // namespace vm
