#pragma once
#include <cstdint>
#include <string>

namespace vm::sim {

// How the simulated unit behaves on the wire.
struct SimOptions {
    std::string version = "8.12"; // software version text in STATUS
    bool paced = true;            // bytes take their 38400-baud wire time both ways
    bool perByte = false;         // paced replies leave byte by byte, not whole at their last byte's time
    int replyDelayMs = 0;         // extra time between a request and its answer
    int dropEveryNth = 0;         // 0: never; N: the Nth, 2Nth, ... reply is not sent
    int corruptEveryNth = 0;      // 0: never; N: one byte of every Nth reply is flipped
    std::uint32_t configSeed = 0; // 0: factory configuration; N: random valid one from seed N
};

} // namespace vm::sim
