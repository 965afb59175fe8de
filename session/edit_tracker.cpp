#include "session/edit_tracker.h"

namespace vm {

void EditTracker::setModified(bool modified) {
    if (modified_ == modified) return;
    modified_ = modified;
    Q_EMIT modifiedChanged(modified);
}

} // namespace vm
