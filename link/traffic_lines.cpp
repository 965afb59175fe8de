#include "link/traffic_lines.h"

#include <algorithm>

namespace vm {

QString ChecksumErrorLine(const LinkPacket& packet) {
    QString text = QStringLiteral("Checksum error ");
    const int n = std::min<int>(packet.length(), packet.size);
    for (int i = 0; i < n; ++i) {
        text += QLatin1Char(' ');
        text += QString::number(packet.bytes[static_cast<std::size_t>(i)]);
    }
    return text;
}

QString ResendRequestLine() { return QStringLiteral("Serial Error: Resend last tx frame"); }

QString FrameDroppedLine(RejectReason reason, int count) {
    switch (reason) {
    case RejectReason::BadEscape:
        return QStringLiteral("Frame dropped (bad escape): %1 bytes").arg(count);
    case RejectReason::TooShort:
        return QStringLiteral("Frame dropped (too short): %1 bytes").arg(count);
    case RejectReason::TooLong:
        return QStringLiteral("Frame dropped (too long): over %1 bytes").arg(count);
    }
    return QStringLiteral("Frame dropped: %1 bytes").arg(count);
}

QString ReceiveOverflowLine(qint64 dropped) {
    return QStringLiteral("Receive overflow: %1 bytes dropped").arg(dropped);
}

} // namespace vm
