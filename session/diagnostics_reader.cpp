#include "session/diagnostics_reader.h"

#include "protocol/message_catalogue.h"

namespace vm {

DiagnosticsReader::DiagnosticsReader(UnitSession& unit, QObject* parent) : QObject(parent), unit_(unit) {
    DiagnosticsModel& model = unit_.diagnostics();
    connect(&model, &DiagnosticsModel::highPowerReceived, this, [this](const LinkPacket& p) {
        Q_EMIT highPowerChanged(table_.ApplyHighPower(p));
    });
    connect(&model, &DiagnosticsModel::lowPowerReceived, this, [this](const LinkPacket& p) {
        Q_EMIT lowPowerChanged(table_.ApplyLowPower(p));
    });
    connect(&model, &DiagnosticsModel::cleared, this, &DiagnosticsReader::cleared);
}

bool DiagnosticsReader::Read() {
    if (!unit_.state().connected || unit_.busy()) return false;
    unit_.Send(LinkPacket::make(kGroupApp, msg::DIAG_READ));
    return true;
}

DiagnosticsReader::ClearResult DiagnosticsReader::Clear() {
    if (!unit_.state().connected) return ClearResult::NotConnected;
    if (unit_.busy()) return ClearResult::Busy;
    unit_.Send(LinkPacket::make(kGroupApp, msg::DIAG_CLEAR));
    return ClearResult::Sent;
}

} // namespace vm
