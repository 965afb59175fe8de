#pragma once
// The wait seam of the window: the modal version window and the modal wait
// window ("Update Voltmast"), which keeps its own 30 s clock.
#include "session/wait_seam.h"

class QWidget;

namespace vm {

class TUpdateForm;

class ModalWait : public WaitSeam {
public:
    ModalWait(TUpdateForm& waitWindow, QWidget* parent) : waitWindow_(waitWindow), parent_(parent) {}

    void RunVersionCheck(VersionCheck& check) override;
    WaitResult RunWait() override;
    void EndWait(WaitResult result) override;

private:
    TUpdateForm& waitWindow_;
    QWidget* parent_;
    bool running_ = false;
    WaitResult result_ = WaitResult::TimedOut;
};

} // namespace vm
