#include "protocol/tx_queue.h"

#include <gtest/gtest.h>

#include <vector>

using vm::TxQueue;

namespace {
std::vector<int> drain(TxQueue& q) {
    std::vector<int> out;
    TxQueue::Frame f;
    while (q.oldest(f)) {
        out.push_back(f.bytes[0]);
        q.release(f.ticket);
    }
    return out;
}
void push(TxQueue& q, std::uint8_t tag) {
    const std::uint8_t frame[3] = {tag, 1, 2};
    q.push(frame, 3);
}
} // namespace

TEST(TxQueue, TwentySixthFrameEmptiesTheQueue) {
    TxQueue q;
    for (int i = 1; i <= 25; ++i) push(q, static_cast<std::uint8_t>(i));
    EXPECT_EQ(q.pending(), 25);
    const std::uint8_t last[1] = {26};
    EXPECT_FALSE(q.push(last, 1));
    EXPECT_EQ(drain(q), std::vector<int>{26});
}

TEST(TxQueue, KeepsOrderWhenLowSlotsAreReused) {
    TxQueue q;
    for (int i = 1; i <= 5; ++i) push(q, static_cast<std::uint8_t>(i));
    TxQueue::Frame f;
    ASSERT_TRUE(q.oldest(f));
    q.release(f.ticket); // frees slot 0 while 2..5 wait
    ASSERT_TRUE(q.oldest(f));
    q.release(f.ticket); // frees slot 1
    push(q, 6);          // lands in slot 0
    push(q, 7);          // lands in slot 1
    EXPECT_EQ(drain(q), (std::vector<int>{3, 4, 5, 6, 7}));
}

TEST(TxQueue, ReleaseOfAStaleTicketFreesNothing) {
    TxQueue q;
    push(q, 1);
    TxQueue::Frame f;
    ASSERT_TRUE(q.oldest(f));
    q.clear();
    push(q, 2); // same slot, new occupant
    q.release(f.ticket);
    EXPECT_EQ(drain(q), std::vector<int>{2});
}

TEST(TxQueue, LongFramesAreCutToTheSlot) {
    TxQueue q;
    std::vector<std::uint8_t> big(400, 9);
    q.push(big.data(), 400);
    TxQueue::Frame f;
    ASSERT_TRUE(q.oldest(f));
    EXPECT_EQ(f.length, TxQueue::kSlotBytes);
}
