#pragma once
// What the simulated unit remembers between messages. Handlers read and change
// it; it grows with the messages the unit answers (configuration image, EEPROM,
// error log, ...).
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace vm::sim {

using SimClock = std::function<std::chrono::steady_clock::time_point()>;

struct SimState {
    std::string version;                              // software version text (STATUS)
    SimClock clock;                                   // injectable for tests
    std::chrono::steady_clock::time_point poweredUp;  // when the unit was created

    // Whole seconds since power-up, as the 24-bit counter in STATUS carries them.
    std::uint32_t secondsSincePowerUp() const {
        const auto elapsed = clock() - poweredUp;
        const auto s = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
        return s < 0 ? 0u : static_cast<std::uint32_t>(s) & 0xFFFFFFu;
    }
};

} // namespace vm::sim
