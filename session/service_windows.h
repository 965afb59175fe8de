#pragma once
// The service windows that want received packets. Each open one is published
// here while it is shown; the receive dispatcher offers every packet to the
// published ones in a fixed order, before it checks anything itself.
#include "protocol/link_packet.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>

namespace vm {

class PacketReceiver {
public:
    virtual ~PacketReceiver() = default;
    // Each receiver checks checksum, group and code itself.
    virtual void ReceivePacket(const LinkPacket& packet) = 0;
};

// In dispatch order.
enum class ServiceSlot : std::uint8_t {
    Ping,
    SystemSetup,
    Calibration,
    RuntimeError,
    Fia,
    Eeprom,
    Version,
};
constexpr std::size_t kServiceSlotCount = 7;

class ServiceWindows {
public:
    void publish(ServiceSlot slot, PacketReceiver* receiver) {
        slots_[index(slot)] = receiver;
        if (changed) changed();
    }
    void withdraw(ServiceSlot slot) {
        slots_[index(slot)] = nullptr;
        if (changed) changed();
    }
    PacketReceiver* published(ServiceSlot slot) const { return slots_[index(slot)]; }
    bool anyPublished() const {
        return std::any_of(slots_.begin(), slots_.end(),
                           [](const PacketReceiver* r) { return r != nullptr; });
    }
    std::function<void()> changed; // after every publish and withdraw

    // Offers the packet to every published receiver in dispatch order. A
    // receiver may withdraw itself (or another) while handling it.
    void offer(const LinkPacket& packet) const;

private:
    static std::size_t index(ServiceSlot slot) { return static_cast<std::size_t>(slot); }
    std::array<PacketReceiver*, kServiceSlotCount> slots_{};
};

// Keeps a receiver published for its own lifetime.
class Publication {
public:
    Publication(ServiceWindows& windows, ServiceSlot slot, PacketReceiver* receiver)
        : windows_(windows), slot_(slot) {
        windows_.publish(slot_, receiver);
    }
    ~Publication() { windows_.withdraw(slot_); }
    Publication(const Publication&) = delete;
    Publication& operator=(const Publication&) = delete;

private:
    ServiceWindows& windows_;
    ServiceSlot slot_;
};

} // namespace vm
