#pragma once
// The EEPROM grid's contents: 4096 cells of text, one per byte, as the grid
// shows them. A read puts the unit's bytes here and a write sends what is
// here, so a cell that is not two hex digits stops a write rather than
// sending a guess.
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace vm {

inline constexpr int kEepromBytes = 4096;
inline constexpr int kEepromBlock = 16;
inline constexpr int kEepromRows = kEepromBytes / kEepromBlock;

// "0123" for an address.
QString AddressText(int address);
// "A5" for a byte.
QString ByteText(std::uint8_t value);
// A cell's value: one or two hex digits, nothing else.
std::optional<std::uint8_t> CellValue(const QString& text);

// The rule of a cell edit: what the cell becomes when its text changes from
// remembered to edited. Empty edits and unchanged texts are left alone.
struct CellEdit {
    bool changed = false; // the cell was set (and its row's ASCII view is redrawn)
    QString cell;         // its new text
    bool beep = false;    // the edited text was no hex number
};
CellEdit EditCell(const QString& remembered, const QString& edited);

class EepromImage : public QObject {
    Q_OBJECT
public:
    EepromImage();

    const QString& cell(int address) const { return cells_[static_cast<std::size_t>(address)]; }
    void setCell(int address, const QString& text);
    void setBytes(int address, const std::uint8_t* bytes, int count);
    // Rows from start while below end with 00 or FF.
    void Fill(int start, int end, std::uint8_t value);

    // The ASCII view of the row holding rowAddress: each non-empty cell adds
    // its character (33..126) or ". "; a cell that is no number adds "? ".
    QString AsciiOfRow(int rowAddress) const;

    // The bytes of [start, end); the first address whose cell is no hex byte
    // when there is one.
    struct Bytes {
        QByteArray bytes;
        std::optional<int> badAddress;
    };
    Bytes BytesOf(int start, int end) const;

Q_SIGNALS:
    // Rows (address ÷ 16) whose cells changed, first to last.
    void rowsChanged(int firstRow, int lastRow);

private:
    std::array<QString, kEepromBytes> cells_;
};

// A range of the EEPROM fields: hex, at most four digits, on 16-byte bounds,
// not empty, within the 4096 bytes. The error names the field.
struct EepromRange {
    int start = 0;
    int end = kEepromBytes;
};
struct RangeCheck {
    std::optional<EepromRange> range;
    QString error;
};
RangeCheck CheckEepromRange(const QString& startText, const QString& endText);

} // namespace vm
