// Arbitrary bytes as a .cfg file: loaded into a store, every block read back,
// then saved and loaded twice: after the first round nothing changes.
#include "config/block_accessors.h"
#include "config/config_file.h"
#include "config/records.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>

namespace {

unsigned sink = 0;

void Use(const QString& text) { sink += static_cast<unsigned>(text.size()); }

void Use(const vm::ConfigStore& s) {
    // Names never exceed their edits.
    for (int n = 1; n <= vm::kInputCount; ++n) {
        if (vm::InputName(s, n).size() > vm::kNameChars) std::abort();
        Use(s.input(n).name);
        sink += static_cast<unsigned>(vm::InputMode(s, n));
    }
    for (int ch = 1; ch <= vm::kOutputCount; ++ch) {
        const vm::OutputControls o = s.output(ch);
        if (o.name.size() > vm::kNameChars) std::abort();
        Use(o.maxCurrent), Use(o.peakTime), Use(o.delay), Use(o.onTime), Use(o.lowCurrent),
            Use(o.lowCurrentTime);
        sink += vm::OutputTrigger(s, ch) + vm::OutputTriggerLevel(s, ch) +
                static_cast<unsigned>(o.trigger + o.level);
        sink += static_cast<unsigned>(vm::OutputDelay(s, ch) + vm::OutputOnTime(s, ch) +
                                      vm::OutputMaxCurrent(s, ch));
    }
    sink += s.pwm().inputPwm + s.pwm().pwm1 + s.pwm().pwm2;
    Use(s.lowBattery().lowThreshold), Use(s.lowBattery().upperThreshold);
    for (const auto& e : s.lowBattery().list)
        sink += e.checked;
    sink += static_cast<unsigned>(s.startButton().trigger);
    for (const auto& e : s.startButton().list)
        sink += e.checked;
    sink += s.canSettings().enable + static_cast<unsigned>(s.canSettings().inputIndex);
    for (int n = 1; n <= vm::kCanRuleCount; ++n)
        Use(s.canInputName(n));
    for (int n = 1; n <= vm::kVirtualInputCount; ++n)
        Use(s.virtualInputName(n));
    for (int n = 1; n <= vm::kFlashCount; ++n)
        Use(vm::FlashName(s, n));
    for (int e = 1; e <= 4; ++e) {
        const vm::CanExportControls c = s.canExport(e);
        Use(c.id), Use(c.refresh), Use(c.rowCount);
        for (int box : c.boxes)
            sink += static_cast<unsigned>(box);
    }
    for (std::uint8_t b : s.recordTables())
        sink += b;
}

void SaveAndLoad(const vm::ConfigStore& from, const QString& path, vm::ConfigStore& to) {
    // What a load produces always saves: export texts come out as numbers.
    if (!vm::SaveConfigFile(from, path)) std::abort();
    vm::LoadConfigFile(to, path);
}

bool SameBlocks(const vm::ConfigStore& a, const vm::ConfigStore& b) {
    for (int n = 1; n <= vm::kInputCount; ++n)
        if (!(a.input(n) == b.input(n))) return false;
    for (int ch = 1; ch <= vm::kOutputCount; ++ch)
        if (!(a.output(ch) == b.output(ch))) return false;
    for (int n = 1; n <= vm::kCanRuleCount; ++n)
        if (a.canInputName(n) != b.canInputName(n)) return false;
    for (int n = 1; n <= vm::kVirtualInputCount; ++n)
        if (a.virtualInputName(n) != b.virtualInputName(n)) return false;
    for (int e = 1; e <= 4; ++e)
        if (!(a.canExport(e) == b.canExport(e))) return false;
    return a.pwm() == b.pwm() && a.lowBattery() == b.lowBattery() && a.startButton() == b.startButton() &&
           a.canSettings() == b.canSettings() && std::ranges::equal(a.recordTables(), b.recordTables());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString input = dir.filePath("input.cfg");
    const QString saved = dir.filePath("saved.cfg");
    {
        QFile f(input);
        if (!f.open(QIODevice::WriteOnly)) std::abort();
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    vm::ConfigStore store;
    vm::LoadConfigFile(store, input);
    Use(store);

    // A first save may still change the content (a name cut to its edit's
    // length can end in a blank that the next load trims); from then on
    // saving and loading is stable.
    vm::ConfigStore once;
    SaveAndLoad(store, saved, once);
    Use(once);
    vm::ConfigStore twice;
    SaveAndLoad(once, saved, twice);
    if (!SameBlocks(once, twice)) std::abort();
    return sink == 0xFFFFFFFFu ? 1 : 0;
}
