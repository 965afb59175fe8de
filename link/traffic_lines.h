#pragma once
// Texts the link reports, built in one place so the log window and the CLI agree.
#include "protocol/link_packet.h"

#include <QString>

namespace vm {

// "Checksum error " then, for each byte the length byte declares, a blank and its value.
QString ChecksumErrorLine(const LinkPacket& packet);
// "Serial Error: Resend last tx frame"
QString ResendRequestLine();

} // namespace vm
