#pragma once
// Text as the unit and the .cfg files hold it: one byte a character in the
// Windows code page 1252 (Latin-1 with typographic characters in 0x80..0x9F).
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace vm {

// Every byte gives a character; the five bytes the code page leaves unused
// give the control characters U+0081, U+008D, U+008F, U+0090, U+009D.
QChar CodePageChar(std::uint8_t byte);
QString DecodeCodePage(QByteArrayView bytes);
// The byte of a character, or nothing when the code page lacks it.
std::optional<std::uint8_t> CodePageByte(QChar c);

// Whether the unit can show the character: a printable code page character
// (no control characters).
bool IsUnitChar(QChar c);

// Whether the unit can hold the name: at most maxChars characters, each one
// IsUnitChar. On false, *why (if given) says why, for a message at the edit.
bool CanHoldName(QStringView name, int maxChars, QString* why = nullptr);

// Text of a .cfg file: UTF-8 when the bytes are valid UTF-8 (with or without
// a byte order mark; older versions of this program wrote UTF-8), otherwise
// the code page.
QString DecodeCfgBytes(QByteArrayView bytes);

} // namespace vm
