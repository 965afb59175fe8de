#include "config/cfg_text.h"

#include "config/cfg_keys.h"
#include "config/code_page.h"

#include <QRegularExpression>

namespace vm {

namespace {

QString Excerpt(QStringView line) {
    constexpr qsizetype kShown = 40;
    return line.size() > kShown ? line.left(kShown - 3).toString() + QStringLiteral("...") : line.toString();
}

} // namespace

CfgText::CfgText(QByteArrayView bytes) : text_(DecodeCfgBytes(bytes)) {
    // Qt's matcher scans megabytes faster than a loop of ours.
    static const QRegularExpression control(QStringLiteral("[\\x00-\\x08\\x0B\\x0C\\x0E-\\x1F\\x7F-\\x9F]"));
    const qsizetype at = text_.indexOf(control);
    if (at >= 0) {
        faultLine_ = 1 + static_cast<int>(QStringView(text_).left(at).count(QLatin1Char('\n')));
        fault_ =
            QStringLiteral("control character 0x%1: not a text file")
                .arg(QString::number(text_[at].unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0')));
        return;
    }
    if (QStringView(text_).trimmed().isEmpty()) { // only tabs and line ends are left to trim
        fault_ = QStringLiteral("empty file");
        return;
    }
    Split();
}

const CfgValue* CfgText::At(int slot) const {
    if (slot < 0 || static_cast<std::size_t>(slot) >= slots_.size()) return nullptr;
    const CfgValue& v = slots_[static_cast<std::size_t>(slot)];
    return v.line != 0 ? &v : nullptr;
}

void CfgText::SetLineProblem(int line, QString problem) {
    if (lineProblemLine_ != 0) return;
    lineProblemLine_ = line;
    lineProblem_ = std::move(problem);
}

void CfgText::Split() {
    slots_.assign(static_cast<std::size_t>(cfg::SlotCount()), CfgValue{});
    const QStringView text(text_);
    int section = -1;
    cfg::Stem hint = cfg::kInputName;
    int number = 0;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) end = text.size();
        const QStringView raw = text.mid(start, end - start);
        start = end + 1;
        ++number;
        const QStringView line = raw.trimmed(); // also the '\r' of a CRLF line end
        if (line.isEmpty() || line[0] == QLatin1Char(';') || line[0] == QLatin1Char('#')) continue;
        if (line[0] == QLatin1Char('[')) {
            if (!line.endsWith(QLatin1Char(']'))) {
                SetLineProblem(number, QStringLiteral("\"%1\" has no closing ']'").arg(Excerpt(line)));
                continue;
            }
            section = cfg::FindSection(line.mid(1, line.size() - 2).trimmed());
            if (section >= 0) sections_ |= 1u << section;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QStringView key = equals > 0 ? line.left(equals).trimmed() : QStringView();
        if (key.isEmpty()) {
            SetLineProblem(
                number,
                QStringLiteral("\"%1\" is neither a [section] nor a key=value line").arg(Excerpt(line)));
            continue;
        }
        const int slot = cfg::FindSlot(section, key, &hint);
        if (slot < 0) continue;
        CfgValue& v = slots_[static_cast<std::size_t>(slot)];
        if (v.line != 0) {
            SetLineProblem(number, QStringLiteral("%1 repeats line %2").arg(key.toString()).arg(v.line));
            continue;
        }
        v = CfgValue{line.mid(equals + 1).trimmed(), number};
    }
}

} // namespace vm
