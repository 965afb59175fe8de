// A random configuration within the limits the tool's pages keep, so that a
// read followed by an upload must give back every byte.
#include "protocol/message_catalogue.h"
#include "sim/sim_config.h"
#include "sim/sim_config_layout.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace vm::sim {

namespace {

using namespace cfgpos;

// mt19937's sequence is fixed by the standard; the distributions are not, so
// the mapping to ranges is done here to keep a seed's image the same everywhere.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : rng_(seed) {}
    int pick(int lo, int hi) {
        return lo + static_cast<int>(rng_() % static_cast<std::uint32_t>(hi - lo + 1));
    }
    std::uint8_t byte(int lo, int hi) { return static_cast<std::uint8_t>(pick(lo, hi)); }
    bool coin() { return pick(0, 1) == 1; }

    // Printable ASCII; no blank at either end, which a file would not keep.
    std::string name(int minLen, int maxLen) {
        const int n = pick(minLen, maxLen);
        std::string s;
        for (int i = 0; i < n; ++i)
            s.push_back(static_cast<char>(i == 0 || i == n - 1 ? pick(0x21, 0x7E) : pick(0x20, 0x7E)));
        return s;
    }

    // Up to max distinct numbers of lo..hi in ascending order, as check lists send them.
    std::vector<int> ascendingSet(int max, int lo, int hi) {
        std::vector<int> all;
        for (int v = lo; v <= hi; ++v)
            all.push_back(v);
        const int n = pick(0, max);
        for (int i = 0; i < n; ++i)
            std::swap(all[static_cast<std::size_t>(i)], all[static_cast<std::size_t>(pick(i, hi - lo))]);
        all.resize(static_cast<std::size_t>(n));
        std::sort(all.begin(), all.end());
        return all;
    }

    std::uint8_t trigger() { return TriggerCodeOfIndex(pick(0, 59)); }

private:
    std::mt19937 rng_;
};

bool HasOpenLevel(std::uint8_t trigger) {
    // Wired inputs 2..11 offer GND and OPEN; every other source has one level.
    return std::find(std::begin(cfgcode::kInputTrigger) + 1, std::end(cfgcode::kInputTrigger), trigger) !=
           std::end(cfgcode::kInputTrigger);
}

void Slots(BlockWriter& w, int pos, int count, const std::vector<int>& values) {
    w.fill(pos, count, cfgcode::kNoChannel);
    for (std::size_t i = 0; i < values.size(); ++i)
        w.put(pos + static_cast<int>(i), static_cast<std::uint8_t>(values[i]));
}

// A byte picker's pair: Lo 0 (none) or 1..8, Hi 0 or a cell beside Lo.
void BytePair(Dice& d, BlockWriter& w, int highPos, int lowPos) {
    const int lo = d.pick(0, 8);
    int hi = 0;
    if (lo != 0 && d.coin()) hi = lo == 1 ? 2 : lo == 8 ? 7 : lo + (d.coin() ? 1 : -1);
    w.put(highPos, static_cast<std::uint8_t>(hi));
    w.put(lowPos, static_cast<std::uint8_t>(lo));
}

void RandomBlock(Dice& d, const ConfigBlockKind& kind, int index, ConfigBytes& bytes) {
    BlockWriter w{bytes};
    std::fill(bytes.begin(), bytes.end(), 0);
    if (kind.indexed) w.put(4, static_cast<std::uint8_t>(index));
    switch (kind.write) {
    case msg::INPUT_CFG_WRITE:
        w.text(input::kName, kNameWidth, d.name(1, 15));
        w.put(input::kMode, d.byte(0, 1));
        break;
    case msg::OUTPUT_CFG_WRITE: {
        if (index <= 18) {
            w.be16(output::kMaxCurrent, static_cast<unsigned>(d.pick(0, 600)));
            w.put(output::kPeak, d.byte(0, 100));
            w.le16(output::kLowCurrent, static_cast<unsigned>(d.pick(0, 600)));
            w.put(output::kLowCurrentTime, d.byte(0, 250));
        } else {
            w.be16(output::kMaxCurrent, 0xFFFF);
        }
        const std::uint8_t trigger = d.trigger();
        w.put(output::kTrigger, trigger);
        w.put(output::kLevel,
              HasOpenLevel(trigger) && d.coin() ? cfgcode::kLevelOpen : cfgcode::kLevelDefault);
        w.text(output::kName, kNameWidth, d.name(0, 15));
        w.put(output::kDelay, d.byte(0, 100));
        w.put(output::kOnTime, d.byte(0, 250));
        break;
    }
    case msg::LOW_BATT_CFG_WRITE: {
        const int low = d.pick(100, 125);
        w.put(lowbatt::kLow, static_cast<std::uint8_t>(low));
        w.put(lowbatt::kHigh, static_cast<std::uint8_t>(low + d.pick(0, 10)));
        Slots(w, lowbatt::kSlots, lowbatt::kSlotCount, d.ascendingSet(lowbatt::kSlotCount, 1, 34));
        break;
    }
    case msg::START_BUTTON_CFG_WRITE:
        w.put(start::kTrigger, d.trigger());
        Slots(w, start::kSlots, start::kSlotCount, d.ascendingSet(start::kSlotCount, 1, 34));
        break;
    case msg::CAN_RULE_WRITE:
        w.put(canrule::kEnabled, d.byte(0, 1));
        w.le16(canrule::kOnId, static_cast<unsigned>(d.pick(0, 0x7FF)));
        w.le16(canrule::kOffId, static_cast<unsigned>(d.pick(0, 0x7FF)));
        w.le16(canrule::kOnValue, static_cast<unsigned>(d.pick(0, 0xFFFF)));
        w.le16(canrule::kOffValue, static_cast<unsigned>(d.pick(0, 0xFFFF)));
        w.put(canrule::kOnOp, d.byte(0, 5));
        w.put(canrule::kOffOp, d.byte(0, 5));
        BytePair(d, w, canrule::kOnHigh, canrule::kOnLow);
        BytePair(d, w, canrule::kOffHigh, canrule::kOffLow);
        w.text(canrule::kName, kNameWidth, d.name(1, 15));
        w.put(canrule::kRowEnable, d.byte(0, 1));
        w.put(canrule::kRowByte, d.byte(0, 7));
        w.put(canrule::kRowValue, d.byte(0, 255));
        w.put(canrule::kDataType, d.byte(0, 1));
        w.text(canrule::kDimension, canrule::kDimensionWidth, d.name(0, 5));
        // Eighths keep three decimals, so the page's "%3.6f" shows the value exactly.
        w.f32(canrule::kMultiplicator, static_cast<float>(d.pick(-800, 800)) / 8.0f);
        w.put(canrule::kOffset, static_cast<std::uint8_t>(static_cast<std::int8_t>(d.pick(-127, 127))));
        break;
    case msg::CAN_SETTINGS_WRITE:
        w.put(cansettings::kEnable, d.byte(0, 1));
        w.put(cansettings::kInputPin, cfgcode::kInputTrigger[d.pick(0, 10)]);
        break;
    case msg::BOX_NAME_WRITE:
        w.text(boxname::kName, boxname::kWidth, d.name(1, 15));
        break;
    case msg::VIRTUAL_INPUT_WRITE:
        for (int t = 0; t < 3; ++t) {
            // Sources index the 94-entry term list; "+30" (1) travels as 0xFF.
            const int source = d.pick(0, 93);
            w.put(virt::kTerm1 + t,
                  source == 1 ? cfgcode::kVirtualPlus30 : static_cast<std::uint8_t>(source));
            w.put(virt::kDelay1 + t, d.byte(0, 100));
        }
        w.put(virt::kOp1, d.byte(0, 2));
        w.put(virt::kOp2, d.byte(0, 2));
        w.text(virt::kName, kNameWidth, d.name(1, 15));
        w.put(virt::kInvert, d.byte(0, 7));
        break;
    case msg::FLASH_WRITE:
        w.put(flash::kEnabled, d.byte(0, 1));
        w.put(flash::kContinuous, d.byte(0, 1));
        w.put(flash::kTrigger, d.trigger());
        w.put(flash::kFlashTime, d.byte(0, 250));
        w.put(flash::kDuration, d.byte(0, 250));
        Slots(w, flash::kChannels, flash::kChannelCount, d.ascendingSet(flash::kChannelCount, 0, 33));
        w.text(flash::kName, flash::kNameWidth, d.name(0, flash::kNameWidth - 1)); // keeps its zero
        break;
    case msg::PWM_CFG_WRITE:
        w.put(pwm::kInputPwm, d.byte(0, 1));
        w.put(pwm::kPwm1, d.byte(0, 1));
        w.put(pwm::kPwm2, d.byte(0, 1));
        break;
    case msg::CAN_EXPORT1_WRITE:
        w.put(export1::kEnable, d.byte(0, 1));
        w.le16(export1::kRefresh, static_cast<unsigned>(d.pick(20, 10000)));
        w.le16(export1::kId, static_cast<unsigned>(d.pick(0, 0x7FF)));
        for (int i = 0; i < export1::kDataCount; ++i)
            w.put(export1::kData + i, d.byte(0, 18));
        w.put(export1::kRowCount, d.byte(0, 12));
        break;
    case msg::CAN_EXPORT_WRITE:
        w.put(exportn::kEnable, d.byte(0, 1));
        w.le16(exportn::kRefresh, static_cast<unsigned>(d.pick(20, 10000)));
        w.le16(exportn::kId, static_cast<unsigned>(d.pick(0, 0x7FF)));
        for (int i = 0; i < exportn::BitCount(index); ++i)
            w.put(exportn::kBits + i, d.byte(0, 34));
        break;
    default:
        break;
    }
}

} // namespace

void SimConfig::loadRandom(std::uint32_t seed) {
    if (seed == 0) {
        resetToFactory();
        return;
    }
    Dice dice(seed);
    std::size_t slot = 0;
    for (const ConfigBlockKind& k : ConfigBlockKinds()) {
        for (int i = 0; i < k.count; ++i)
            RandomBlock(dice, k, k.indexed ? k.firstIndex + i : 0,
                        blocks_[slot][static_cast<std::size_t>(i)]);
        ++slot;
    }
}

} // namespace vm::sim
