#pragma once
// The main window's flags that every sender and the receive dispatcher
// consult. One byte each, as the unit's protocol code expects them.
#include <QString>
#include <cstdint>

namespace vm {

// Index of the "General" page: live polling runs only while it is shown.
constexpr int kPageGeneral = 0;
// The "Diagnostic" page reads the unit's fault counters when chosen.
constexpr int kPageDiagnostic = 1;
// The "CAN Inputs" page holds the CAN monitor.
constexpr int kPageCanInputs = 3;

// What the unit tells about itself: STATUS and UNIT_STATS.
struct UnitStats {
    QString version;                  // software version text, empty when unknown
    std::uint32_t secondsSincePowerUp = 0;
    std::uint8_t maxTemperature = 0;
    std::uint16_t maxCurrentTenths = 0;
    std::uint8_t watchdogCount = 0;
};

struct SessionState {
    std::uint8_t connected = 0;          // set by the first successful connect, never cleared
    std::uint8_t firmwareUpdate = 0;     // firmware update window open
    std::uint8_t transferInProgress = 0; // wait window shown for Read, Upload, Default settings
    std::uint8_t configFromUnit = 0;     // last configuration came from the unit
    std::uint8_t configFromFile = 0;     // a configuration file was opened
    std::uint8_t namesDirty = 0;         // name lists need rebuilding at the next keep-alive tick
    QString configFileName;              // the opened configuration file
};

} // namespace vm
