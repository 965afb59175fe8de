#include "app/dispatch.h"

#include "app/service_windows.h"
#include "link/traffic_lines.h"
#include "link/traffic_log.h"

namespace vm {

bool ReceiveDispatcher::Dispatch(const LinkPacket& packet) {
    // Service windows see everything, before and regardless of the checksum.
    services_.offer(packet);
    if (!packet.checksumOk()) {
        if (log_) log_->LogLine(ChecksumErrorLine(packet), kColourChecksum);
        return false;
    }
    return true;
}

} // namespace vm
