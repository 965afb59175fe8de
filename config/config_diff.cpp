#include "config/config_diff.h"

#include "config/code_page.h"
#include "config/config_file.h"

#include <QHash>

namespace vm {

namespace {

struct Entry {
    QString section;
    QString key;
    QString value;
};

// The saved text of a store: sections and keys in the fixed order of Save.
bool Entries(const ConfigStore& store, std::vector<Entry>* out, QString* error) {
    QByteArray bytes;
    if (!SaveConfigText(store, &bytes, error)) return false;
    QString section;
    for (const QString& raw : DecodeCodePage(bytes).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        out->push_back({section, line.left(eq), raw.mid(raw.indexOf(QLatin1Char('=')) + 1)});
    }
    return true;
}

const QString kMissing = QStringLiteral("(missing)");

} // namespace

ConfigComparison CompareConfigs(const ConfigStore& a, const ConfigStore& b) {
    ConfigComparison result;
    std::vector<Entry> left, right;
    QString error;
    if (!Entries(a, &left, &error) || !Entries(b, &right, &error)) {
        result.error = error;
        return result;
    }
    result.ok = true;
    // Both come from the same writer, so keys normally pair up in order; a
    // key on one side only (a check list of another length) is still listed.
    QHash<QString, qsizetype> rightAt;
    for (qsizetype i = 0; i < qsizetype(right.size()); ++i)
        rightAt.insert(right[std::size_t(i)].section + QLatin1Char('.') + right[std::size_t(i)].key, i);
    std::vector<bool> paired(right.size(), false);
    for (const Entry& l : left) {
        const auto it = rightAt.constFind(l.section + QLatin1Char('.') + l.key);
        if (it == rightAt.constEnd()) {
            result.differences.push_back({l.section, l.key, l.value, kMissing});
            continue;
        }
        paired[std::size_t(*it)] = true;
        const Entry& r = right[std::size_t(*it)];
        if (l.value != r.value) result.differences.push_back({l.section, l.key, l.value, r.value});
    }
    for (std::size_t i = 0; i < right.size(); ++i)
        if (!paired[i]) result.differences.push_back({right[i].section, right[i].key, kMissing, right[i].value});
    return result;
}

QString DifferenceLine(const ConfigDifference& d) {
    return QStringLiteral("%1.%2: %3 -> %4").arg(d.section, d.key, d.a, d.b);
}

} // namespace vm
