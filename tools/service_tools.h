#pragma once
// The service tools, one row each: where the window lists it, which dispatch
// slot feeds it, what the window must do around it, and its command on the
// command line. The Tools and Svc menus and the CLI are built from this table;
// a new tool adds a row, a logic class under tools/<tool>/, a form and a command.
#include "session/service_windows.h"

#include <QString>
#include <optional>
#include <span>

namespace vm {

class UnitSession;
class UserPrompt;
class UsbThread;

enum class ServiceTool { Firmware, Fia, SystemSetup, Calibration, PingTest, RuntimeError, Eeprom };

enum class ServiceMenu { Tools, Svc };

// What the window does around a tool's window besides publishing it.
enum class ServiceExtra {
    None,
    Firmware, // live polling stopped and the firmware-update flag set while it runs
    Fia,      // live polling stopped while it runs
};

struct ServiceToolInfo {
    ServiceTool tool;
    ServiceMenu menu;
    const char* objectName; // of the menu entry
    const char* caption;    // as the users know it
    std::optional<ServiceSlot> slot;
    ServiceExtra extra;
    const char* command; // voltmast-cli subcommand; nullptr while the tool has none
};

std::span<const ServiceToolInfo> ServiceTools();
const ServiceToolInfo& ServiceToolOf(ServiceTool tool);

// What a tool's logic, form and command are given.
struct ServiceContext {
    UnitSession& unit;
    UserPrompt& prompt;
    UsbThread* link = nullptr; // the raw route (firmware update); null when there is none
    QString settingsPath;      // where the tools remember their last files
};

} // namespace vm
