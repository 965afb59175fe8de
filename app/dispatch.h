#pragma once
// Receive dispatch: where every packet from the unit goes first.
#include "link/link_packet.h"

namespace vm {

class ServiceWindows;
class TrafficLog;

class ReceiveDispatcher {
public:
    ReceiveDispatcher(const ServiceWindows& services, TrafficLog* log)
        : services_(services), log_(log) {}

    // Offers the packet to the open service windows, then drops it with a log
    // line if its checksum is wrong. Returns whether the packet is valid.
    bool Dispatch(const LinkPacket& packet);

private:
    const ServiceWindows& services_;
    TrafficLog* log_;
};

} // namespace vm
