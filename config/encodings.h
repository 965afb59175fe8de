#pragma once
// Conversions between what the pages hold (texts, list indexes) and what the
// unit takes (tenths, device codes, fixed-width name fields). All of them are
// locale-independent: '.' is the decimal point everywhere.
#include <QString>
#include <cstdint>
#include <optional>

namespace vm {

constexpr int kTriggerSourceCount = 60;

// Name fields: the text in the unit's code page (Windows-1252), cut to
// `width`, zero-filled; a character the unit cannot hold goes as '?'. A name
// as long as the field has no terminating zero.
void EncodeName(const QString& name, std::uint8_t* field, int width);
// Up to the first zero byte or the whole field; a byte that is no printable
// character reads as '?', so a name from the unit can always be saved.
QString DecodeName(const std::uint8_t* field, int width);

// Text to tenths: every ',' after the first character counts as '.', the
// leading floating-point number is read (no number gives 0), multiplied by 10
// and truncated toward zero. Saturates at the int range.
int TextToTenths(const QString& text);
// "%3.1f" of tenths / 10.
QString TenthsText(int tenths);

// Field-width caps used when packing: too large a value becomes the field's
// maximum, a negative one 0 (never wrapped to the low bits).
std::uint8_t CapByte(long long value);
std::uint16_t CapWord(long long value);

// Trigger source list index <-> device code. An index outside 0..59 encodes
// as 0xFF; a code not in the table decodes to 0 ("DISABLED").
std::uint8_t TriggerCodeFromIndex(int index);
int TriggerIndexFromCode(std::uint8_t code);

// Trigger level box: index 1 ("OPEN") is 16, anything else 1; back: 16 is 1,
// anything else 0.
std::uint8_t LevelCodeFromIndex(int index);
int LevelIndexFromCode(std::uint8_t code);

// Wired input chosen for the CAN input enable: index 0..10 (inputs 1..11) to
// the input's trigger code, anything else 0xC0; back: the input's index, 0 for
// an unknown code.
std::uint8_t InputPinCodeFromIndex(int index);
int InputIndexFromPinCode(std::uint8_t code);

// CAN identifier as the export pages show it: upper-case hexadecimal, at
// least 3 digits (0x012 -> "012").
QString HexIdText(unsigned value);
// "0x" + text read as an integer; nullopt when it is not one.
std::optional<long long> ParseHexId(const QString& text);
// Decimal integer text (optional blanks before, optional sign); nullopt when
// it is not one or does not fit 32 bits.
std::optional<long long> ParseDecimal(const QString& text);
// The error shown for a text that is not a number.
QString NotAnIntegerMessage(const QString& text);

} // namespace vm
