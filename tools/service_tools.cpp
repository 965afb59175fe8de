#include "tools/service_tools.h"

#include <iterator>

namespace vm {

namespace {

// Menu order; captions as the users know them, odd spacing included.
constexpr ServiceToolInfo kTools[] = {
    {ServiceTool::Firmware, ServiceMenu::Tools, "MenuFirmware", "Firmware", std::nullopt,
     ServiceExtra::Firmware, "flash"},
    {ServiceTool::Fia, ServiceMenu::Tools, "MenuFIA", "FIA ", ServiceSlot::Fia, ServiceExtra::Fia, "verify"},
    {ServiceTool::SystemSetup, ServiceMenu::Svc, "MenuSystemSetup", "System setup", ServiceSlot::SystemSetup,
     ServiceExtra::None, "setup"},
    {ServiceTool::Calibration, ServiceMenu::Svc, "MenuCalibration", "Calibration", ServiceSlot::Calibration,
     ServiceExtra::None, "calibration"},
    {ServiceTool::PingTest, ServiceMenu::Svc, "MenuPingTest", "Ping Test", ServiceSlot::Ping,
     ServiceExtra::None, "ping"},
    {ServiceTool::RuntimeError, ServiceMenu::Svc, "MenuRuntimeError", "Runtime error",
     ServiceSlot::RuntimeError, ServiceExtra::None, "errors"},
    {ServiceTool::Eeprom, ServiceMenu::Svc, "MenuEeprom", "Eeprom", ServiceSlot::Eeprom, ServiceExtra::None,
     "eeprom"},
};

} // namespace

std::span<const ServiceToolInfo> ServiceTools() { return kTools; }

const ServiceToolInfo& ServiceToolOf(ServiceTool tool) {
    for (const ServiceToolInfo& info : kTools)
        if (info.tool == tool) return info;
    return kTools[0]; // every enumerator has a row
}

} // namespace vm
