#pragma once
// The main window's notebook pages, in their order. Each page fills its own
// widget; until it does the page stays empty.
#include <QString>
#include <array>

class QTabWidget;

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

// Adds every page, in order, to the notebook.
void AddMainPages(QTabWidget& notebook);

} // namespace vm
