#include "pages/output_pins.h"

#include <array>

namespace vm {

namespace {
// High-power channels 1..18: connector 2 (red ring) or 3 (yellow ring).
constexpr std::array<const char*, 18> kHighPowerPins{
    "( Con. 3, Yellow ring, Pin C )", "( Con. 2, Red ring, Pin L )",    "( Con. 2, Red ring, Pin H )",
    "( Con. 2, Red ring, Pin F )",    "( Con. 2, Red ring, Pin D )",    "( Con. 2, Red ring, Pin A,B )",
    "( Con. 3, Yellow ring, Pin L )", "( Con. 3, Yellow ring, Pin A )", "( Con. 2, Red ring, Pin G )",
    "( Con. 2, Red ring, Pin E )",    "( Con. 2, Red ring, Pin C )",    "( Con. 3, Yellow ring, Pin G )",
    "( Con. 2, Red ring, Pin M )",    "( Con. 2, Red ring, Pin J,K )",  "( Con. 3, Yellow ring, Pin D,E )",
    "( Con. 3, Yellow ring, Pin B )", "( Con. 3, Yellow ring, Pin M )", "( Con. 3, Yellow ring, Pin J,K )",
};
} // namespace

QString OutputPinCaption(int channel) {
    if (channel >= 1 && channel <= 18)
        return QLatin1String(kHighPowerPins[static_cast<std::size_t>(channel - 1)]);
    // Low-power channels 19..34 sit on pins 1..16 of connector 4.
    if (channel >= 19 && channel <= 34)
        return QStringLiteral("( Con. 4, Red ring, Pin %1 )").arg(channel - 18);
    return {};
}

} // namespace vm
