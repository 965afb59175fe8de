// Arbitrary bytes as an EEPROM text file, parsed from memory: an accepted file
// gives rows inside the EEPROM that save and load again unchanged; a refused
// one says where and gives no rows.
#include "tools/eeprom/eeprom_file.h"

#include <cstdlib>

namespace {
void Require(bool condition) {
    if (!condition) std::abort();
}
unsigned sink = 0;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString name = QStringLiteral("input.txt");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const vm::EepromText text = vm::ParseEepromText(bytes, name);
    if (!text.error.isEmpty()) {
        Require(text.rows.empty() && text.error.startsWith(name + QLatin1Char(':')));
        return 0;
    }
    vm::EepromImage image;
    for (const vm::EepromRow& row : text.rows) {
        Require(row.address % vm::kEepromBlock == 0 && row.address >= 0 && row.address < vm::kEepromBytes);
        image.setBytes(row.address, row.bytes.data(), vm::kEepromBlock);
        sink += row.bytes[0];
    }
    // What Save writes of the image loads again to the same bytes.
    const vm::EepromText again = vm::ParseEepromText(vm::FormatEepromText(image, 0, vm::kEepromBytes), name);
    Require(again.error.isEmpty() && again.rows.size() == static_cast<std::size_t>(vm::kEepromRows));
    for (const vm::EepromRow& row : again.rows)
        for (int i = 0; i < vm::kEepromBlock; ++i)
            Require(image.cell(row.address + i) == vm::ByteText(row.bytes[static_cast<std::size_t>(i)]));
    return sink == 0xFFFFFFFFu ? 1 : 0;
}
