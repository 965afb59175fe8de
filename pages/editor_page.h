#pragma once
// What every configuration page shares: the store it shows, the session whose
// NamesDirty its name edits set, the shared name lists, and the signals the
// main window turns into status-bar texts and transfers.
#include "config/config_store.h"

#include <QWidget>
#include <array>

class QPushButton;

namespace vm {

class NameLists;
class UnitSession;

struct PageContext {
    ConfigStore& store;
    UnitSession& unit;
    NameLists& names;
};

class EditorPage : public QWidget {
    Q_OBJECT
public:
    explicit EditorPage(PageContext& context, QWidget* parent = nullptr);

    // Fills every control from the store.
    virtual void ShowStore() = 0;
    // The shared lists have new names: redraw what depends on them without
    // changing a selection or a stored value.
    virtual void RefreshNameLists() {}

Q_SIGNALS:
    // The user changed the store on this page.
    void edited();
    // A text for the status bar (check list limits).
    void statusMessage(const QString& text);
    void readRequested();
    void uploadRequested();
    void defaultRequested();

protected:
    // A block of the store changed from elsewhere (read, file, another page).
    virtual void ShowBlock(ConfigStore::Block block, int index);
    // A name was typed: the lists follow at the next keep-alive tick, unless a
    // transfer is filling the store (it marks the names itself when done).
    void NameEdited();
    // "Read", "Upload", "Default settings" with these object names.
    QWidget* TransferButtons(const std::array<const char*, 3>& objectNames);

    ConfigStore& store() { return context_.store; }
    NameLists& names() { return context_.names; }

    PageContext& context_;
    // Set while the page writes the store, so its own change is not redrawn.
    bool writing_ = false;
};

} // namespace vm
