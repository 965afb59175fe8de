#include "sim/sim_firmware.h"

#include "protocol/message_catalogue.h"
#include "sim/sim_handlers.h"

#include <algorithm>

namespace vm::sim {

namespace {
constexpr std::uint32_t kFactoryProgramBytes = 0x4000;
} // namespace

std::uint8_t SimFirmware::FactoryByte(std::uint32_t address) {
    if (address >= kFactoryProgramBytes) return 0xFF;
    return static_cast<std::uint8_t>(address * 7 + (address >> 8));
}

SimFirmware::SimFirmware() : program(kProgramBytes) {
    for (std::uint32_t i = 0; i < kProgramBytes; ++i)
        program[i] = FactoryByte(i);
}

void SimBootloader::enter(SimTime now) {
    phase_ = Phase::Prompting;
    nextPrompt_ = now;
    promptUntil_ = now + boot::kPromptFor;
    block_.clear();
    pages_.clear();
}

void SimBootloader::leave() {
    phase_ = Phase::Off;
    block_.clear();
    pages_.clear();
}

void SimBootloader::take(std::uint8_t byte, SimTime now, std::vector<std::uint8_t>& program,
                         std::vector<std::uint8_t>& out) {
    if (phase_ == Phase::Off) return;
    if (phase_ == Phase::Prompting) {
        if (byte != boot::kAnswer) return; // leftovers of the packet link
        phase_ = Phase::Receiving;
        lastByte_ = now;
        out.push_back(boot::kBlockSize);
        out.push_back(boot::kNext);
        return;
    }
    lastByte_ = now;
    block_.push_back(byte);
    if (block_.size() == 2 && block_[0] == boot::kEnd && block_[1] == boot::kEnd) {
        std::fill(program.begin(), program.end(), 0xFF);
        for (const auto& [page, bytes] : pages_)
            std::copy(bytes.begin(), bytes.end(), program.begin() + static_cast<std::ptrdiff_t>(page));
        ++written_;
        leave();
        return;
    }
    if (block_.size() < static_cast<std::size_t>(boot::kBlockBytes)) return;
    const std::uint32_t page =
        static_cast<std::uint32_t>(block_[0]) << 16 | static_cast<std::uint32_t>(block_[1]) << 8;
    std::uint8_t sum = 0;
    for (int i = 2; i < 2 + boot::kPageBytes; ++i)
        sum = static_cast<std::uint8_t>(sum + block_[static_cast<std::size_t>(i)]);
    if (sum != block_.back() || page + boot::kPageBytes > program.size()) {
        out.push_back(boot::kAbort);
        ++aborted_;
        leave();
        return;
    }
    pages_[page].assign(block_.begin() + 2, block_.begin() + 2 + boot::kPageBytes);
    block_.clear();
    out.push_back(boot::kNext);
}

void SimBootloader::tick(SimTime now, std::vector<std::uint8_t>& out) {
    if (phase_ == Phase::Prompting) {
        if (now >= promptUntil_) {
            leave(); // nobody answered: the application starts
            return;
        }
        if (now >= nextPrompt_) {
            out.push_back(boot::kPrompt);
            nextPrompt_ = now + boot::kPromptEvery;
        }
    } else if (phase_ == Phase::Receiving && now - lastByte_ >= boot::kReceiveTimeout) {
        ++aborted_;
        leave();
    }
}

std::optional<SimTime> SimBootloader::nextDue() const {
    switch (phase_) {
    case Phase::Prompting:
        return std::min(nextPrompt_, promptUntil_);
    case Phase::Receiving:
        return lastByte_ + boot::kReceiveTimeout;
    case Phase::Off:
        break;
    }
    return std::nullopt;
}

namespace {

void FiaRead(SimState& state, const LinkPacket& request, SimReplies& out) {
    const std::uint32_t address = request.payload(0) | static_cast<std::uint32_t>(request.payload(1)) << 8;
    std::uint8_t payload[18] = {request.payload(0), request.payload(1)};
    std::copy_n(state.firmware.program.begin() + address, 16, payload + 2);
    out.push_back(LinkPacket::make(kGroupApp, msg::FIA_DATA, payload, static_cast<int>(sizeof payload)));
}

} // namespace

void AddFirmwareHandlers(SimHandlerTable& table) { table.add(kGroupApp, msg::FIA_READ, FiaRead); }

} // namespace vm::sim
