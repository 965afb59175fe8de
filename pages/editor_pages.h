#pragma once
// The configuration pages of the notebook: which page goes on which sheet,
// the shared name lists, and the name refresh that runs through them in order.
// The CAN Inputs, Virtual Inputs and CAN Export pages take their places in
// the table when they exist; the refresh reaches them by their order.
#include "pages/editor_page.h"
#include "pages/name_lists.h"

#include <QObject>
#include <array>
#include <cstddef>
#include <vector>

namespace vm {

struct EditorPageEntry {
    std::size_t notebookIndex; // in kMainPages
    // Place in the name refresh: lists are rebuilt low battery first, then the
    // output triggers, CAN inputs, virtual inputs, start button, flash, CAN export.
    int refreshOrder;
    EditorPage* (*make)(PageContext& context);
};

// Every configuration page there is, by notebook index.
const std::vector<EditorPageEntry>& EditorPageTable();

class EditorPages : public QObject {
    Q_OBJECT
public:
    EditorPages(ConfigStore& store, UnitSession& unit, QObject* parent = nullptr);

    // For AddMainPages: puts the page of that notebook index, if there is one,
    // on its sheet in a scroll area.
    void AddTo(std::size_t notebookIndex, QWidget& sheet);
    // The name refresh of the keep-alive tick: the shared lists take the
    // store's names, then each page redraws what depends on them.
    void RefreshNameLists();

    EditorPage* page(std::size_t notebookIndex) const;
    NameLists& names() { return names_; }

Q_SIGNALS:
    // The user changed the configuration on one of the pages.
    void edited();
    void statusMessage(const QString& text);
    void readRequested();
    void uploadRequested();
    void defaultRequested();

private:
    NameLists names_;
    PageContext context_;
    struct Added {
        int refreshOrder;
        std::size_t notebookIndex;
        EditorPage* page;
    };
    std::vector<Added> pages_;
};

} // namespace vm
