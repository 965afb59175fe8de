#pragma once
// Typed views the session hands out for answers that pages and tools follow:
// each owns its signals, so a new answer kind adds a model, not a session signal.
#include "protocol/link_packet.h"

#include <QObject>
#include <QString>

namespace vm {

// The unit's fault counters: DIAG_HIGH_POWER rows (the session asks for the
// next one), DIAG_LOW_POWER, and the acknowledgement of a clear.
class DiagnosticsModel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    void highPowerReceived(const LinkPacket& packet);
    void lowPowerReceived(const LinkPacket& packet);
    void cleared();
};

// CAN frames the unit reports while its CAN monitor is on.
class CanMonitorModel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    // "Can id: 1A0 , Data: 01 02"
    void lineReceived(const QString& line);
};

} // namespace vm
