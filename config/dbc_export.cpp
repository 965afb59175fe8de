#include "config/dbc_export.h"

#include "config/block_layouts.h"
#include "config/encodings.h"

#include <QSet>
#include <algorithm>

namespace vm {

namespace {

constexpr int kByteBits = 8;
constexpr int kExport1Outputs = 18; // export 1 lists the high-power outputs
const QString kNode = QStringLiteral("Voltmast");
const QString kNoReceiver = QStringLiteral("Vector__XXX"); // the format's "no receiver"

struct Signal {
    QString name;
    int startBit; // Intel order: byte * 8 + bit
    int length;
    double factor;
    int max;          // raw maximum
    QString unit;
    int muxValue = -1; // -1: always present; -2: the multiplexer itself
};

QString Number(double v) { return QString::number(v, 'g', 10); }

QString SignalLine(const Signal& s) {
    QString mux;
    if (s.muxValue == -2) mux = QStringLiteral(" M");
    else if (s.muxValue >= 0) mux = QStringLiteral(" m%1").arg(s.muxValue);
    return QStringLiteral(" SG_ %1%2 : %3|%4@1+ (%5,0) [0|%6] \"%7\" %8\n")
        .arg(s.name, mux)
        .arg(s.startBit)
        .arg(s.length)
        .arg(Number(s.factor), Number(s.max * s.factor), s.unit, kNoReceiver);
}

class Message {
public:
    explicit Message(const ConfigStore& store) : store_(store) {}

    void add(Signal s) {
        // Unique within the message: a repeated name gets _2, _3, ...
        QString name = s.name;
        for (int n = 2; used_.contains(name.toUpper()); ++n) name = s.name + QStringLiteral("_%1").arg(n);
        used_.insert(name.toUpper());
        s.name = name;
        signals_.push_back(s);
    }
    // The output a box carries, or 0 for "DISABLED" (and anything outside the list).
    int outputOf(const std::vector<int>& boxes, int i, int outputs) const {
        const int v = i < int(boxes.size()) ? boxes[std::size_t(i)] : 0;
        return v >= 1 && v <= outputs ? v : 0;
    }
    QString outputName(int output, const QString& suffix) const {
        return DbcIdentifier(store_.output(output).name, QStringLiteral("CH%1").arg(output)) + suffix;
    }
    void addBit(const std::vector<int>& boxes, int box, int byte, int bit, const QString& suffix) {
        if (const int out = outputOf(boxes, box, kOutputCount))
            add({outputName(out, suffix), byte * 8 + bit, 1, 1, 1, QString()});
    }
    const std::vector<Signal>& list() const { return signals_; }

private:
    const ConfigStore& store_;
    QSet<QString> used_;
    std::vector<Signal> signals_;
};

// Bits in box order: data byte 0 bit 7, bit 6 .. bit 0, then byte 1 bit 7 ...
void AddBits(Message& m, const std::vector<int>& boxes, int firstBox, int firstByte, int count,
             const QString& suffix) {
    for (int i = 0; i < count; ++i) m.addBit(boxes, firstBox + i, firstByte + i / 8, 7 - i % 8, suffix);
}

Message Export1(const ConfigStore& store, const CanExportControls& e, int rows) {
    Message m(store);
    m.add({QStringLiteral("RowCounter"), 0, kByteBits, 1, 255, QString(), -2});
    const QString amps = QStringLiteral("A");
    // The unit sends each current divided by 4.
    for (int b = 0; b < 6; ++b)
        if (const int out = m.outputOf(e.boxes, b, kExport1Outputs))
            m.add({m.outputName(out, QStringLiteral("_Current")), (b + 1) * 8, kByteBits, 4, 255, amps});
    for (int row = 1; row <= rows; ++row)
        if (const int out = m.outputOf(e.boxes, 5 + row, kExport1Outputs))
            m.add({m.outputName(out, QStringLiteral("_Current")), 56, kByteBits, 4, 255, amps, row});
    return m;
}

Message BitExport(const ConfigStore& store, const CanExportControls& e, int n) {
    Message m(store);
    const QString on = QStringLiteral("_On"), error = QStringLiteral("_Error");
    if (n == 4) {
        AddBits(m, e.boxes, 0, 0, 32, on);
        AddBits(m, e.boxes, 32, 4, 32, error);
        return m;
    }
    AddBits(m, e.boxes, 0, 0, 34, n == 2 ? on : error);
    m.add({QStringLiteral("TotalCurrent"), 40, kByteBits, 1, 255, QStringLiteral("A")});
    return m;
}

} // namespace

QString DbcIdentifier(const QString& name, const QString& fallback) {
    QString id;
    for (const QChar c : name.trimmed()) {
        const bool ok = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                        (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
        if (ok) id += c;
        else if (!id.endsWith(QLatin1Char('_'))) id += QLatin1Char('_');
    }
    while (id.endsWith(QLatin1Char('_'))) id.chop(1);
    while (id.startsWith(QLatin1Char('_'))) id.remove(0, 1);
    if (id.isEmpty()) return fallback;
    if (id.front().isDigit()) id.prepend(QLatin1Char('_'));
    return id;
}

DbcResult ExportDbc(const ConfigStore& store) {
    DbcResult result;
    // The same checks as an upload: the database must describe what the unit sends.
    for (int n = 1; n <= 4; ++n) {
        const PackedBlock packed = n == 1 ? PackConfigBlock(store, msg::CAN_EXPORT1_WRITE, 0)
                                          : PackConfigBlock(store, msg::CAN_EXPORT_WRITE, n - 2);
        if (!packed.ok()) {
            result.error = packed.error;
            return result;
        }
    }
    QString messages;
    QString cycles;
    for (int n = 1; n <= 4; ++n) {
        const CanExportControls e = store.canExport(n);
        if (!e.enable) continue;
        const long long id = *ParseHexId(e.id);
        const long long refresh = *ParseDecimal(e.refresh);
        const int rows = n == 1 ? int(std::clamp<long long>(*ParseDecimal(e.rowCount), 0, 12)) : 0;
        const Message m = n == 1 ? Export1(store, e, rows) : BitExport(store, e, n);
        messages += QStringLiteral("BO_ %1 Export%2: 8 %3\n").arg(id).arg(n).arg(kNode);
        for (const Signal& s : m.list()) messages += SignalLine(s);
        messages += QLatin1Char('\n');
        cycles += QStringLiteral("BA_ \"GenMsgCycleTime\" BO_ %1 %2;\n").arg(id).arg(refresh);
    }
    result.text = QStringLiteral("VERSION \"\"\n\n\nNS_ :\n\tBA_DEF_\n\tBA_\n\tBA_DEF_DEF_\n\nBS_:\n\nBU_: %1\n\n\n")
                      .arg(kNode) +
                  messages +
                  QStringLiteral("\nBA_DEF_ BO_ \"GenMsgCycleTime\" INT 0 65535;\nBA_DEF_DEF_ \"GenMsgCycleTime\" 0;\n") +
                  cycles;
    result.ok = true;
    return result;
}

} // namespace vm
