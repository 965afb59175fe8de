#include "tools/eeprom/eeprom_image.h"

namespace vm {

QString AddressText(int address) {
    return QString::number(address & 0xFFFF, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

QString ByteText(std::uint8_t value) {
    return QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

namespace {

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}

// A hex number of up to digits digits, nothing else.
std::optional<unsigned> Hex(const QString& text, int digits) {
    if (text.isEmpty() || text.size() > digits) return std::nullopt;
    unsigned value = 0;
    for (QChar c : text) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return value;
}

} // namespace

std::optional<std::uint8_t> CellValue(const QString& text) {
    const auto v = Hex(text, 2);
    if (!v) return std::nullopt;
    return static_cast<std::uint8_t>(*v);
}

CellEdit EditCell(const QString& remembered, const QString& edited) {
    CellEdit edit;
    if (edited.isEmpty() || edited == remembered) return edit;
    edit.changed = true;
    // Long texts are numbers of 256 and above as far as the rule goes.
    const auto value = Hex(edited, 8);
    if (!value) {
        edit.cell = QStringLiteral("00");
        edit.beep = true;
    } else if (*value >= 256) {
        edit.cell = QStringLiteral("00");
    } else {
        // The old low digit moves up and the typed one goes below it.
        edit.cell = remembered.mid(1) + QString::number(*value & 0xF, 16).toUpper();
    }
    return edit;
}

EepromImage::EepromImage() { cells_.fill(QStringLiteral("00")); }

void EepromImage::setCell(int address, const QString& text) {
    if (address < 0 || address >= kEepromBytes) return;
    cells_[static_cast<std::size_t>(address)] = text;
    Q_EMIT rowsChanged(address / kEepromBlock, address / kEepromBlock);
}

void EepromImage::setBytes(int address, const std::uint8_t* bytes, int count) {
    if (address < 0 || count <= 0 || address + count > kEepromBytes) return;
    for (int i = 0; i < count; ++i)
        cells_[static_cast<std::size_t>(address + i)] = ByteText(bytes[i]);
    Q_EMIT rowsChanged(address / kEepromBlock, (address + count - 1) / kEepromBlock);
}

void EepromImage::Fill(int start, int end, std::uint8_t value) {
    start = std::max(0, start - start % kEepromBlock);
    end = std::min(end, kEepromBytes);
    if (start >= end) return;
    int a = start;
    for (; a < end; a += kEepromBlock)
        for (int i = 0; i < kEepromBlock; ++i)
            cells_[static_cast<std::size_t>(a + i)] = ByteText(value);
    Q_EMIT rowsChanged(start / kEepromBlock, (a - 1) / kEepromBlock);
}

QString EepromImage::AsciiOfRow(int rowAddress) const {
    QString text;
    if (rowAddress < 0 || rowAddress >= kEepromBytes) return text;
    const int first = rowAddress - rowAddress % kEepromBlock;
    for (int i = 0; i < kEepromBlock; ++i) {
        const QString& c = cells_[static_cast<std::size_t>(first + i)];
        if (c.isEmpty()) continue;
        const auto v = CellValue(c);
        if (!v)
            text += QStringLiteral("? ");
        else if (*v >= 33 && *v <= 126)
            text += QLatin1Char(static_cast<char>(*v));
        else
            text += QStringLiteral(". ");
    }
    return text;
}

EepromImage::Bytes EepromImage::BytesOf(int start, int end) const {
    Bytes out;
    start = std::max(0, start);
    end = std::min(end, kEepromBytes);
    for (int a = start; a < end; ++a) {
        const auto v = CellValue(cells_[static_cast<std::size_t>(a)]);
        if (!v) {
            out.badAddress = a;
            return out;
        }
        out.bytes.append(static_cast<char>(*v));
    }
    return out;
}

RangeCheck CheckEepromRange(const QString& startText, const QString& endText) {
    RangeCheck check;
    const auto field = [](const QString& text, const char* name, QString& error) -> std::optional<int> {
        const auto v = Hex(text.trimmed(), 4);
        if (!v) {
            error = QStringLiteral("%1: \"%2\" is not a hex address of up to four digits")
                        .arg(QLatin1String(name), text);
            return std::nullopt;
        }
        return static_cast<int>(*v);
    };
    const auto start = field(startText, "Start", check.error);
    if (!start) return check;
    const auto end = field(endText, "End", check.error);
    if (!end) return check;
    if (*start % kEepromBlock != 0 || *end % kEepromBlock != 0)
        check.error = QStringLiteral("The range %1..%2 is not on 16-byte bounds (the addresses end in 0)")
                          .arg(AddressText(*start), AddressText(*end));
    else if (*start >= *end)
        check.error = QStringLiteral("The range %1..%2 is empty: the end must lie above the start")
                          .arg(AddressText(*start), AddressText(*end));
    else if (*end > kEepromBytes)
        check.error = QStringLiteral("The range %1..%2 goes past the EEPROM, which ends at 1000")
                          .arg(AddressText(*start), AddressText(*end));
    else
        check.range = EepromRange{*start, *end};
    return check;
}

} // namespace vm
