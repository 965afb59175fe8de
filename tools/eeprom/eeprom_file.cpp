#include "tools/eeprom/eeprom_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vm {

EepromFormat EepromFormatOf(const QString& fileName) {
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return EepromFormat::Unknown;
    const QString ext = fileName.mid(dot + 1).toUpper();
    if (ext == QLatin1String("TXT")) return EepromFormat::Text;
    if (ext == QLatin1String("BIN")) return EepromFormat::Binary;
    return EepromFormat::Unknown;
}

namespace {

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Refuses a row line, saying where and why.
QString Refusal(const QString& name, int line, const QString& why) {
    return QStringLiteral("%1:%2: %3").arg(name).arg(line).arg(why);
}

} // namespace

EepromText ParseEepromText(const QByteArray& text, const QString& name) {
    EepromText out;
    int lineNo = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype eol = text.indexOf('\n', pos);
        if (eol < 0) eol = text.size();
        QByteArray line = text.mid(pos, eol - pos);
        pos = eol + 1;
        ++lineNo;
        if (line.endsWith('\r')) line.chop(1);
        if (line.size() < 5 || line[4] != ':') continue; // not a row
        if (line.size() > kMaxEepromLineChars) {
            out.error = Refusal(
                name, lineNo, QStringLiteral("a row line is at most %1 characters").arg(kMaxEepromLineChars));
            break;
        }
        int address = 0;
        bool ok = true;
        for (int i = 0; i < 4; ++i) {
            const int d = Hex(line[i]);
            ok = ok && d >= 0;
            address = address * 16 + std::max(d, 0);
        }
        if (!ok) {
            out.error = Refusal(name, lineNo,
                                QStringLiteral("the address \"%1\" is not four hex digits")
                                    .arg(QString::fromLatin1(line.left(4))));
            break;
        }
        if (address % kEepromBlock != 0 || address >= kEepromBytes) {
            out.error =
                Refusal(name, lineNo,
                        QStringLiteral("the address %1 is not the start of a row of the EEPROM (0000..0FF0)")
                            .arg(QString::fromLatin1(line.left(4))));
            break;
        }
        EepromRow row;
        row.address = address;
        for (int i = 0; i < kEepromBlock && ok; ++i) {
            const int at = 5 + 3 * i;
            const char sep = i + 1 < kEepromBlock ? ',' : ';';
            const int hi = at + 1 < line.size() ? Hex(line[at]) : -1;
            const int lo = at + 1 < line.size() ? Hex(line[at + 1]) : -1;
            // The last byte may end the line when the ASCII part is missing.
            const bool sepOk = at + 2 < line.size() ? line[at + 2] == sep : i + 1 == kEepromBlock;
            if (hi < 0 || lo < 0 || !sepOk) {
                out.error = Refusal(name, lineNo,
                                    QStringLiteral("byte %1 is not two hex digits followed by '%2'")
                                        .arg(i)
                                        .arg(QLatin1Char(sep)));
                ok = false;
                break;
            }
            row.bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(hi * 16 + lo);
        }
        if (!ok) break;
        out.rows.push_back(row);
    }
    if (!out.error.isEmpty()) out.rows.clear();
    return out;
}

QByteArray FormatEepromText(const EepromImage& image, int start, int end) {
    QByteArray out;
    start = std::max(0, start - start % kEepromBlock);
    end = std::min(end, kEepromBytes);
    for (int a = start; a < end; a += kEepromBlock) {
        QString line = AddressText(a) + QLatin1Char(':');
        for (int i = 0; i < kEepromBlock; ++i) {
            if (i) line += QLatin1Char(',');
            const auto v = CellValue(image.cell(a + i));
            line += v ? ByteText(*v) : image.cell(a + i);
        }
        line += QStringLiteral(";//") + image.AsciiOfRow(a) + QLatin1Char('\n');
        out += line.toLatin1();
    }
    return out;
}

QString LoadEepromFile(const QString& path, EepromImage& image, EepromRows* rows) {
    if (rows) rows->fill(false);
    const QString name = path.trimmed();
    const EepromFormat format = EepromFormatOf(name);
    if (format == EepromFormat::Unknown)
        return QStringLiteral("%1: neither a .txt nor a .bin file").arg(name);
    QFile file(name);
    const QFileInfo info(name);
    if (info.exists() && !info.isFile()) return QStringLiteral("%1: not a regular file").arg(name);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("Unable to open file: '%1'").arg(name);
    const QByteArray data = file.read(kMaxEepromFileBytes + 1);
    if (data.size() > kMaxEepromFileBytes) return QStringLiteral("%1: larger than 1 MiB").arg(name);
    if (format == EepromFormat::Binary) {
        if (data.size() > kEepromBytes)
            return QStringLiteral("%1: %2 bytes, the EEPROM holds %3")
                .arg(name)
                .arg(data.size())
                .arg(kEepromBytes);
        // Exactly the file's bytes: nothing past its end is touched.
        image.setBytes(0, reinterpret_cast<const std::uint8_t*>(data.constData()),
                       static_cast<int>(data.size()));
        if (rows)
            for (int r = 0; r < data.size() / kEepromBlock; ++r)
                (*rows)[static_cast<std::size_t>(r)] = true;
        return {};
    }
    const EepromText text = ParseEepromText(data, name);
    if (!text.error.isEmpty()) return text.error;
    for (const EepromRow& row : text.rows) {
        image.setBytes(row.address, row.bytes.data(), kEepromBlock);
        if (rows) (*rows)[static_cast<std::size_t>(row.address / kEepromBlock)] = true;
    }
    return {};
}

QString SaveEepromFile(const QString& path, const EepromImage& image, int start, int end) {
    const QString name = path.trimmed();
    // A file is only ever written with bytes that load again.
    const EepromImage::Bytes bytes = image.BytesOf(start, end);
    if (bytes.badAddress)
        return QStringLiteral("The cell at %1 is not a hex byte: nothing was saved")
            .arg(AddressText(*bytes.badAddress));
    const QByteArray data =
        EepromFormatOf(name) == EepromFormat::Binary ? bytes.bytes : FormatEepromText(image, start, end);
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return QStringLiteral("Unable to create file: '%1'").arg(name);
    return {};
}

} // namespace vm
