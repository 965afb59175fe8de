#pragma once
// The main window's notebook pages, in their order. Each page fills its own
// widget; until it does the page stays empty.
#include <QString>
#include <array>
#include <cstddef>
#include <functional>

class QTabWidget;
class QWidget;

namespace vm {

struct MainPageEntry {
    const char* objectName;
    const char* caption;
};

inline constexpr std::array<MainPageEntry, 11> kMainPages{{
    {"TabSheetGeneral", "General"},
    {"TabSheetDiagnostic", "Diagnostic"},
    {"TabSheetInputs", "Inputs"},
    {"TabSheetCANInputs", "CAN Inputs"},
    {"TabSheetVirtualInputs", "Virtual Inputs"},
    {"TabSheetCANExport", "CAN Export"},
    {"TabSheetOutputs", "Outputs"},
    {"TabSheetFlash", "Flash"},
    {"TabSheetLowBattery", "Low Battery"},
    {"TabSheetStartButton", "Start Button"},
    {"TabSheetLowCurrent", "Low Current"},
}};

// Fills the sheet of the page at this index (of kMainPages) with its content.
using MainPageFiller = std::function<void(std::size_t index, QWidget& sheet)>;

// Adds every page, in order, to the notebook; fill (if given) is called for
// each sheet after it is added.
void AddMainPages(QTabWidget& notebook, const MainPageFiller& fill = {});

} // namespace vm
