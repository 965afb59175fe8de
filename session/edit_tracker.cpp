#include "session/edit_tracker.h"

#include "config/config_store.h"

namespace vm {

EditTracker::EditTracker(ConfigStore& store, QObject* parent) : QObject(parent) {
    connect(&store, &ConfigStore::changed, this, [this] { setModified(true); });
}

void EditTracker::MarkClean() { setModified(false); }

void EditTracker::setModified(bool modified) {
    if (modified_ == modified) return;
    modified_ = modified;
    Q_EMIT modifiedChanged(modified);
}

} // namespace vm
