#pragma once
// Where each output channel leaves the unit: the connector pin captions shown
// beside the channels on the "General" and "Outputs" pages.
#include <QString>

namespace vm {

// "( Con. 3, Yellow ring, Pin C )" for channel 1; empty outside 1..34.
QString OutputPinCaption(int channel);

// "5: name", the way channel, input and CAN input labels carry their names.
inline QString NumberedName(int number, const QString& name) {
    return QStringLiteral("%1: %2").arg(number).arg(name);
}

} // namespace vm
