#pragma once
// STATUS answers as the unit sends them: the version text at positions 4..23,
// zero-padded, followed by the rest of the status bytes.
#include "protocol/link_packet.h"
#include "protocol/message_catalogue.h"

#include <QByteArray>
#include <QCoreApplication>

namespace vm::test {

inline LinkPacket StatusPacket(const QByteArray& text, std::uint8_t group = kGroupApp,
                               std::uint8_t code = msg::STATUS) {
    QByteArray payload = text;
    if (payload.size() < 24) payload.append(24 - payload.size(), '\0');
    return LinkPacket::make(group, code, reinterpret_cast<const std::uint8_t*>(payload.constData()),
                            static_cast<int>(payload.size()));
}

// QTimer needs an event dispatcher to report itself active.
inline void EnsureCoreApp() {
    static int argc = 1;
    static char name[] = "tools_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv); // lives for the whole run
}

} // namespace vm::test
