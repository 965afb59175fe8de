// Arbitrary received bytes through the frame assembler; every field of every
// delivered packet is read, as the dispatcher and the command line do.
#include "cli/packet_text.h"
#include "protocol/frame_codec.h"
#include "link/traffic_lines.h"

#include <cstdlib>

namespace {
unsigned sink = 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vm::FrameAssembler assembler([](const vm::LinkPacket& p) {
        // The assembler promises a whole declared packet.
        if (p.size < vm::kMinPacketLength || p.length() < vm::kMinPacketLength || p.length() > p.size) std::abort();
        sink += p.checksum() + p.length() + p.group() + p.command();
        for (int i = 0; i < p.payloadSize(); ++i) sink += p.payload(i);
        sink += p.checksumOk() ? 1u : 0u;
        sink += static_cast<unsigned>(vm::ChecksumErrorLine(p).size());
        sink += static_cast<unsigned>(vm::cli::FormatPacket(p).size());
    });
    assembler.PutBytes(data, static_cast<int>(size));
    return sink == 0xFFFFFFFFu ? 1 : 0;
}
