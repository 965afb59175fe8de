#pragma once
// Frames waiting for the wire: 25 slots of 300 bytes. When every slot is taken
// the whole queue is emptied for the new frame. Frames leave in the order they
// were queued, whatever slot they landed in.
#include <array>
#include <cstdint>

namespace vm {

class TxQueue {
public:
    static constexpr int kSlots = 25;
    static constexpr int kSlotBytes = 300;

    struct Frame {
        std::uint64_t ticket = 0; // identifies the slot's occupant for release()
        int length = 0;
        std::array<std::uint8_t, kSlotBytes> bytes{};
    };

    // Queues a frame (cut to 300 bytes). Returns false when the queue was full
    // and had to be emptied first.
    bool push(const std::uint8_t* frame, int length);
    // Copies the oldest queued frame into out; false when the queue is empty.
    bool oldest(Frame& out) const;
    // Frees the slot that held the frame with this ticket, if it still does.
    void release(std::uint64_t ticket);
    void clear();
    int pending() const;

private:
    struct Slot {
        bool inUse = false;
        std::uint64_t ticket = 0;
        int length = 0;
        std::array<std::uint8_t, kSlotBytes> bytes{};
    };
    std::array<Slot, kSlots> slots_{};
    std::uint64_t nextTicket_ = 1;
};

} // namespace vm
