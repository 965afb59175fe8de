#include "tools/about/about_logic.h"

#include "session/session_state.h"

#include <QStringList>
#include <QtCore/qnamespace.h>
#include <array>

namespace vm {

namespace {
constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
} // namespace

bool IsModifierKey(int key) {
    switch (key) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

bool AboutUnlock::KeyPressed(int key, bool ctrl) {
    if (IsModifierKey(key)) return false;
    // Letter key codes are upper case already; lower case ones are folded all the same.
    const int upper = (key >= 'a' && key <= 'z') ? key - 'a' + 'A' : key;
    if (ctrl && position_ < static_cast<std::uint32_t>(kLength) && upper == kUnlockSequence[position_]) {
        ++position_;
        if (position_ == static_cast<std::uint32_t>(kLength)) {
            unlocked_ = true;
            return true;
        }
        return false;
    }
    position_ = 0;
    return false;
}

QString PowerUpTimeText(std::uint32_t seconds) {
    return QStringLiteral("Seconds since powerup : ") + QString::number(seconds);
}

QString MaxTemperatureText(std::uint8_t degrees) {
    return QStringLiteral("Max temperatur : ") + QString::number(degrees);
}

QString MaxCurrentText(std::uint16_t tenths) {
    return QStringLiteral("Max Current : ") + QString::asprintf("%3.1f", tenths * 0.1) +
           QStringLiteral(" Amps ");
}

QString WatchdogCountText(std::uint8_t count) {
    return QStringLiteral("Watchdog Count : ") + QString::number(count);
}

QString UnitVersionText(const UnitStats& stats) {
    return stats.version.isEmpty() ? QStringLiteral("---") : stats.version;
}

QString BuildDateText(const QDate& date) {
    if (!date.isValid()) return {};
    return QString::asprintf("%s %2d %04d", kMonths[static_cast<std::size_t>(date.month() - 1)], date.day(),
                             date.year());
}

QDate BuildDate() {
    // __DATE__ is "Mmm dd yyyy" already; parse it so the text is always formed the same way.
    const QString text = QStringLiteral(__DATE__).simplified();
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() != 3) return {};
    for (std::size_t m = 0; m < kMonths.size(); ++m) {
        if (parts[0] == QLatin1String(kMonths[m]))
            return QDate(parts[2].toInt(), static_cast<int>(m) + 1, parts[1].toInt());
    }
    return {};
}

QString CreatedText(const QDate& date) { return QStringLiteral("Created: ") + BuildDateText(date); }

QUrl WebAddressOf(const QString& caption) {
    const QString text = caption.trimmed();
    const bool looksLikeUrl = text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
                              text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive) ||
                              text.startsWith(QLatin1String("www."), Qt::CaseInsensitive);
    if (!looksLikeUrl || text.contains(QLatin1Char(' '))) return {};
    const QUrl url = QUrl::fromUserInput(text);
    return url.isValid() ? url : QUrl();
}

} // namespace vm
