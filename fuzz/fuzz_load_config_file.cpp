// Arbitrary bytes as a .cfg file, parsed from memory: an accepted file gives a
// store that keeps every promise; a refused one says why and where and leaves
// the store as it was.
#include "config/config_file.h"
#include "fuzz_store_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vm::ConfigStore fresh;
    static const QString name = QStringLiteral("input.cfg");

    vm::ConfigStore store;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const vm::ConfigFileReport report = vm::ParseConfigText(store, bytes, name);
    fuzz::Require(report.ok == (report.exitCode == 0) && report.ok == report.error.isEmpty());
    if (report.ok) {
        fuzz::CheckStore(store);
        fuzz::sink += static_cast<unsigned>(report.missingKeys.size());
    } else {
        fuzz::Require(report.error.startsWith(name + QLatin1Char(':')) && report.missingKeys.isEmpty());
        fuzz::Require(fuzz::SameBlocks(store, fresh));
    }
    return fuzz::sink == 0xFFFFFFFFu ? 1 : 0;
}
