// Arbitrary bytes as a configuration answer from the unit: stored into a
// store, then every value is read back and every block packed again, as the
// pages, the .cfg file and an upload would.
#include "config/block_accessors.h"
#include "config/block_layouts.h"
#include "config/config_store.h"
#include "config/records.h"
#include "protocol/message_catalogue.h"

#include <algorithm>
#include <cstring>

#include "fuzz_store_checks.h"

namespace {

unsigned sink = 0;

void Use(const QString& text) {
    sink += static_cast<unsigned>(text.size()) + (text.isEmpty() ? 0u : text[0].unicode());
}

void ReadBack(const vm::ConfigStore& s) {
    using namespace vm;
    for (int n = 1; n <= kInputCount; ++n) {
        Use(InputName(s, n));
        sink += static_cast<unsigned>(InputMode(s, n));
    }
    for (int ch = 1; ch <= kOutputCount; ++ch) {
        Use(OutputName(s, ch));
        sink += OutputTrigger(s, ch) + OutputTriggerLevel(s, ch);
        for (int v : {OutputDelay(s, ch), OutputOnTime(s, ch), OutputMaxCurrent(s, ch), OutputPeakTime(s, ch),
                      OutputLowCurrent(s, ch), OutputLowCurrentTime(s, ch)})
            sink += static_cast<unsigned>(v);
    }
    for (int n = 1; n <= kCanRuleCount; ++n) {
        Use(CanInputName(s, n));
        const CanInputRule r = CanRuleRecord(s, n - 1);
        Use(r.name);
        Use(r.dimension);
        for (std::int32_t v : {r.onId, r.offId, r.onOperator, r.offOperator, r.onValue, r.offValue})
            sink += static_cast<unsigned>(v);
        sink += static_cast<unsigned>(r.offset) + (r.multiplicator > 0.0f ? 1u : 0u);
    }
    for (int n = 1; n <= kVirtualInputCount; ++n) {
        Use(VirtualInputName(s, n));
        sink += VirtualInputRecord(s, n - 1).term[0];
    }
    for (int n = 1; n <= kFlashCount; ++n)
        Use(FlashName(s, n));
    sink += s.pwm().inputPwm + s.pwm().pwm1 + s.pwm().pwm2;
    Use(s.lowBattery().lowThreshold);
    Use(s.lowBattery().upperThreshold);
    for (const auto& e : s.lowBattery().list)
        sink += e.checked;
    for (const auto& e : s.startButton().list)
        sink += e.checked;
    sink += static_cast<unsigned>(s.startButton().trigger) +
            static_cast<unsigned>(s.canSettings().inputIndex) + s.canSettings().enable;
    Use(s.boxName());
    for (int e = 1; e <= 4; ++e) {
        const CanExportControls x = s.canExport(e);
        Use(x.id);
        Use(x.refresh);
        Use(x.rowCount);
        for (int b : x.boxes)
            sink += static_cast<unsigned>(b);
    }
}

void PackAll(const vm::ConfigStore& s) {
    fuzz::ForEveryBlockWrite([&s](std::uint8_t code, int index) {
        const vm::PackedBlock p = vm::PackConfigBlock(s, code, index);
        sink += p.packet.checksum() + static_cast<unsigned>(p.error.size());
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vm::LinkPacket packet;
    const std::size_t n = std::min<std::size_t>(size, vm::kMaxPacketBytes);
    if (n > 0) std::memcpy(packet.bytes.data(), data, n);
    packet.size = static_cast<int>(n); // the length byte stays as it came

    vm::ConfigStore store;
    sink += vm::ApplyConfigBlock(store, packet) ? 1u : 0u;
    ReadBack(store);
    PackAll(store);
    return sink == 0xFFFFFFFFu ? 1 : 0;
}
