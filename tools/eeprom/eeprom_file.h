#pragma once
// EEPROM image files: the text format (one line per 16 bytes, "0000:00,...;//"
// and the row's ASCII view) and raw binary (".bin", from address 0). Files
// are read into memory and checked whole; a refused file changes nothing.
#include "tools/eeprom/eeprom_image.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <vector>

namespace vm {

inline constexpr qint64 kMaxEepromFileBytes = 1024 * 1024;
inline constexpr int kMaxEepromLineChars = 99;

enum class EepromFormat { Text, Binary, Unknown };
// By the text after the last '.', in any case: TXT or BIN.
EepromFormat EepromFormatOf(const QString& fileName);

struct EepromRow {
    int address = 0; // a multiple of 16 below 4096
    std::array<std::uint8_t, kEepromBlock> bytes{};
};

struct EepromText {
    std::vector<EepromRow> rows;
    QString error; // "name:line: ..." when the text was refused
};

// Lines whose fifth character is ':' carry a row; other lines are skipped.
// A row line must hold a four-digit hex address on a 16-byte bound inside the
// EEPROM and sixteen two-digit hex bytes separated by ','.
EepromText ParseEepromText(const QByteArray& text, const QString& name);

// The rows of [start, end) as Save writes them.
QByteArray FormatEepromText(const EepromImage& image, int start, int end);

// Which rows (address ÷ 16) a loaded file gave all 16 bytes of.
using EepromRows = std::array<bool, kEepromRows>;

// Opens, checks and applies a file; the message when it was refused.
QString LoadEepromFile(const QString& path, EepromImage& image, EepromRows* rows = nullptr);
// Writes [start, end) in the format the name asks for; the message when it failed.
QString SaveEepromFile(const QString& path, const EepromImage& image, int start, int end);

} // namespace vm
