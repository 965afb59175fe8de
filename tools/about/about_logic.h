#pragma once
// What the About window knows without drawing anything: the key sequence that
// unlocks the service functions, the statistics texts and the build date text.
#include <QDate>
#include <QString>
#include <QUrl>
#include <cstdint>

namespace vm {

struct UnitStats;

// The program's own version as the About window shows it.
inline constexpr const char* kPcVersionText = "5.00";
// This build of the tool (the project version).
inline constexpr const char* kToolVersion = VOLTMAST_VERSION;
// Typed with Ctrl held, in this order.
inline constexpr const char* kUnlockSequence = "QX2750";

class AboutUnlock {
public:
    static constexpr int kLength = 6;

    // One key press (a Qt key code); true when this press completes the sequence.
    bool KeyPressed(int key, bool ctrl);

    int position() const { return position_; }
    // Stays true for the rest of the run.
    bool unlocked() const { return unlocked_; }

private:
    std::uint32_t position_ = 0;
    bool unlocked_ = false;
};

// Shift, Ctrl, Alt and the like alone: holding Ctrl must not break the sequence.
bool IsModifierKey(int key);

QString PowerUpTimeText(std::uint32_t seconds);
QString MaxTemperatureText(std::uint8_t degrees);
QString MaxCurrentText(std::uint16_t tenths);
QString WatchdogCountText(std::uint8_t count);
// The unit's version text, or "---" while none is known.
QString UnitVersionText(const UnitStats& stats);

// "Mmm dd yyyy", the day right-aligned in two characters, English month names.
QString BuildDateText(const QDate& date);
// The date this program was compiled.
QDate BuildDate();
// "Created: " and the build date.
QString CreatedText(const QDate& date = BuildDate());

// The address a caption names, or an invalid URL when it is plain text.
QUrl WebAddressOf(const QString& caption);

} // namespace vm
