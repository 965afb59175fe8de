#pragma once
// Texts the link reports, built in one place so the log window and the CLI agree.
#include "protocol/frame_codec.h"
#include "protocol/link_packet.h"

#include <QString>

namespace vm {

// "Checksum error " then, for each byte the length byte declares, a blank and its value.
QString ChecksumErrorLine(const LinkPacket& packet);
// "Serial Error: Resend last tx frame"
QString ResendRequestLine();
// A frame the assembler dropped, count being the bytes it held for it:
// "Frame dropped (bad escape): 12 bytes", "Frame dropped (too short): 3 bytes",
// "Frame dropped (too long): over 200 bytes".
QString FrameDroppedLine(RejectReason reason, int count);
// "Receive overflow: 5120 bytes dropped"
QString ReceiveOverflowLine(qint64 dropped);

} // namespace vm
