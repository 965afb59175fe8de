#include "config/code_page.h"

#include <QStringDecoder>

namespace vm {

namespace {

// 0x80..0x9F; 0 where the code page has no character.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

QChar CodePageChar(std::uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0 && kHigh[byte - 0x80] != 0) return QChar(kHigh[byte - 0x80]);
    return QChar(byte);
}

QString DecodeCodePage(QByteArrayView bytes) {
    // Latin-1 but for 0x80..0x9F; Qt's bulk conversions beat a loop of ours.
    QString text = QString::fromLatin1(bytes);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] != 0) text.replace(QChar(char16_t(0x80 + i)), QChar(kHigh[i]));
    return text;
}

std::optional<std::uint8_t> CodePageByte(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<std::uint8_t>(u);
    if (u < 0xA0) { // only the unused bytes stand for themselves
        if (kHigh[u - 0x80] == 0) return static_cast<std::uint8_t>(u);
        return std::nullopt;
    }
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u) return static_cast<std::uint8_t>(0x80 + i);
    return std::nullopt;
}

bool IsUnitChar(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0)) return false;
    return CodePageByte(c).has_value();
}

bool CanHoldName(QStringView name, int maxChars, QString* why) {
    for (const QChar c : name) {
        if (IsUnitChar(c)) continue;
        if (why) {
            const QString shown =
                c.unicode() < 0x20 || c.isSurrogate() || (c.unicode() >= 0x7F && c.unicode() < 0xA0)
                    ? QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper()
                    : QStringLiteral("'%1'").arg(c);
            *why = QStringLiteral("the unit cannot hold %1 in a name").arg(shown);
        }
        return false;
    }
    if (name.size() > maxChars) {
        if (why) *why = QStringLiteral("a name holds at most %1 characters").arg(maxChars);
        return false;
    }
    return true;
}

QString DecodeCfgBytes(QByteArrayView bytes) {
    const QByteArrayView body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(body); // plain ASCII is valid UTF-8 too
    return decoder.hasError() ? DecodeCodePage(bytes) : text;
}

} // namespace vm
