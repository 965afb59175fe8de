#include "protocol/tx_queue.h"

#include <algorithm>
#include <cstring>

namespace vm {

bool TxQueue::push(const std::uint8_t* frame, int length) {
    length = std::clamp(length, 0, kSlotBytes);
    bool fitted = true;
    auto it = std::find_if(slots_.begin(), slots_.end(), [](const Slot& s) { return !s.inUse; });
    if (it == slots_.end()) {
        clear();
        it = slots_.begin();
        fitted = false;
    }
    it->length = length;
    if (length > 0) std::memcpy(it->bytes.data(), frame, static_cast<std::size_t>(length));
    it->ticket = nextTicket_++;
    it->inUse = true;
    return fitted;
}

bool TxQueue::oldest(Frame& out) const {
    const Slot* best = nullptr;
    for (const Slot& s : slots_)
        if (s.inUse && (!best || s.ticket < best->ticket)) best = &s;
    if (!best) return false;
    out.ticket = best->ticket;
    out.length = best->length;
    std::memcpy(out.bytes.data(), best->bytes.data(), static_cast<std::size_t>(best->length));
    return true;
}

void TxQueue::release(std::uint64_t ticket) {
    for (Slot& s : slots_)
        if (s.inUse && s.ticket == ticket) s = Slot{};
}

void TxQueue::clear() {
    for (Slot& s : slots_) s = Slot{};
}

int TxQueue::pending() const {
    return static_cast<int>(std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.inUse; }));
}

} // namespace vm
