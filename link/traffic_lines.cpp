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

} // namespace vm
