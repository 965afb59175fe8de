#include "forms/modal_wait.h"

#include "forms/update_form.h"
#include "forms/version_form.h"

namespace vm {

void ModalWait::RunVersionCheck(VersionCheck& check) {
    TVersionForm form(check, parent_);
    if (!check.isFinished()) form.exec();
}

WaitResult ModalWait::RunWait() {
    // Closed by its own clock (it tells the user), or by EndWait.
    result_ = WaitResult::TimedOut;
    running_ = true;
    waitWindow_.exec();
    running_ = false;
    return result_;
}

void ModalWait::EndWait(WaitResult result) {
    if (!running_) return;
    result_ = result;
    waitWindow_.CloseWaitWindow();
}

} // namespace vm
