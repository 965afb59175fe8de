#include "pages/editor_pages.h"

#include "pages/can_export_page.h"
#include "pages/can_inputs_page.h"
#include "pages/flash_page.h"
#include "pages/inputs_page.h"
#include "pages/low_battery_page.h"
#include "pages/low_current_page.h"
#include "pages/outputs_page.h"
#include "pages/start_button_page.h"
#include "pages/virtual_inputs_page.h"

#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

namespace vm {

namespace {
template <class Page> EditorPage* Make(PageContext& context) { return new Page(context); }
} // namespace

const std::vector<EditorPageEntry>& EditorPageTable() {
    static const std::vector<EditorPageEntry> table = {
        {2, 0, &Make<InputsPage>},
        {3, 4, &Make<CanInputsPage>},
        {4, 5, &Make<VirtualInputsPage>},
        {5, 9, &Make<CanExportPage>},
        {6, 3, &Make<OutputsPage>},
        {7, 8, &Make<FlashPage>},
        {8, 2, &Make<LowBatteryPage>},
        {9, 7, &Make<StartButtonPage>},
        {10, 0, &Make<LowCurrentPage>},
    };
    return table;
}

EditorPages::EditorPages(ConfigStore& store, UnitSession& unit, QObject* parent)
    : QObject(parent), context_{store, unit, names_} {
    names_.Refresh(store);
}

void EditorPages::AddTo(std::size_t notebookIndex, QWidget& sheet) {
    const auto& table = EditorPageTable();
    const auto entry = std::find_if(table.begin(), table.end(),
                                    [&](const EditorPageEntry& e) { return e.notebookIndex == notebookIndex; });
    if (entry == table.end()) return;
    EditorPage* page = entry->make(context_);
    // Pages taller than the window scroll instead of squeezing their rows.
    auto* scroll = new QScrollArea(&sheet);
    scroll->setObjectName(QStringLiteral("%1Scroll").arg(page->objectName()));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(page);
    auto* layout = new QVBoxLayout(&sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    connect(page, &EditorPage::edited, this, &EditorPages::edited);
    connect(page, &EditorPage::statusMessage, this, &EditorPages::statusMessage);
    connect(page, &EditorPage::readRequested, this, &EditorPages::readRequested);
    connect(page, &EditorPage::uploadRequested, this, &EditorPages::uploadRequested);
    connect(page, &EditorPage::defaultRequested, this, &EditorPages::defaultRequested);
    const Added added{entry->refreshOrder, notebookIndex, page};
    pages_.insert(std::upper_bound(pages_.begin(), pages_.end(), added,
                                   [](const Added& a, const Added& b) { return a.refreshOrder < b.refreshOrder; }),
                  added);
}

void EditorPages::RefreshNameLists() {
    names_.Refresh(context_.store);
    for (const Added& added : pages_)
        added.page->RefreshNameLists();
}

EditorPage* EditorPages::page(std::size_t notebookIndex) const {
    for (const Added& added : pages_)
        if (added.notebookIndex == notebookIndex) return added.page;
    return nullptr;
}

} // namespace vm
