#include "session/service_windows.h"

namespace vm {

void ServiceWindows::offer(const LinkPacket& packet) const {
    // Read each slot as it comes: an earlier receiver may have closed a later one.
    for (std::size_t i = 0; i < kServiceSlotCount; ++i)
        if (PacketReceiver* receiver = slots_[i]) receiver->ReceivePacket(packet);
}

} // namespace vm
