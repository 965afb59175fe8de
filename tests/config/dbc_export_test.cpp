// The CAN database of the exports: a hand-written file for a small
// configuration, every export layout read back with a small DBC reader, and
// names that are no identifiers or repeat.
#include "config/dbc_export.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <map>

using namespace vm;

namespace {

struct DbcSignal {
    int start, length;
    double factor;
    QString unit, mux;
};
struct DbcMessage {
    long id;
    QString name;
    int dlc;
    std::map<QString, DbcSignal> sigs;
    int cycle = -1;
};

// Enough of the format to read back what the export writes.
std::map<long, DbcMessage> ReadDbc(const QString& text) {
    std::map<long, DbcMessage> out;
    static const QRegularExpression bo(QStringLiteral(R"re(^BO_ (\d+) (\w+): (\d+) \w+$)re"));
    static const QRegularExpression sg(
        QStringLiteral(R"re(^ SG_ (\w+)( M| m\d+)? : (\d+)\|(\d+)@1\+ \(([\d.]+),0\) \[0\|[\d.]+\] "(\w*)" \w+$)re"));
    static const QRegularExpression ba(QStringLiteral(R"re(^BA_ "GenMsgCycleTime" BO_ (\d+) (\d+);$)re"));
    long current = -1;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (auto m = bo.match(line); m.hasMatch()) {
            current = m.captured(1).toLong();
            out[current] = {current, m.captured(2), m.captured(3).toInt(), {}};
        } else if (auto m = sg.match(line); m.hasMatch()) {
            EXPECT_GE(current, 0);
            const bool fresh = out[current].sigs
                                   .emplace(m.captured(1), DbcSignal{m.captured(3).toInt(), m.captured(4).toInt(),
                                                                     m.captured(5).toDouble(), m.captured(6),
                                                                     m.captured(2).trimmed()})
                                   .second;
            EXPECT_TRUE(fresh) << "signal twice: " << m.captured(1).toStdString();
        } else if (auto m = ba.match(line); m.hasMatch()) {
            out[m.captured(1).toLong()].cycle = m.captured(2).toInt();
        } else {
            EXPECT_FALSE(line.startsWith(QLatin1String(" SG_"))) << "unreadable: " << line.toStdString();
        }
    }
    return out;
}

void Name(ConfigStore& s, int output, const char* name) {
    OutputControls o = s.output(output);
    o.name = QString::fromUtf8(name);
    s.setOutput(output, o);
}

CanExportControls Export(ConfigStore& s, int n, const char* id, const char* refresh, std::vector<int> boxes) {
    CanExportControls e = s.canExport(n);
    e.enable = true;
    e.id = QString::fromLatin1(id);
    e.refresh = QString::fromLatin1(refresh);
    for (std::size_t i = 0; i < boxes.size(); ++i) e.boxes[i] = boxes[i];
    s.setCanExport(n, e);
    return e;
}

} // namespace

TEST(DbcExport, SmallConfigurationAsWrittenByHand) {
    ConfigStore s;
    Name(s, 5, "Fuel pump");
    Export(s, 2, "1A0", "100", {5}); // output 5 in data byte 0 bit 7
    const DbcResult r = ExportDbc(s);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.text.toStdString(), R"(VERSION ""


NS_ :
	BA_DEF_
	BA_
	BA_DEF_DEF_

BS_:

BU_: Voltmast


BO_ 416 Export2: 8 Voltmast
 SG_ Fuel_pump_On : 7|1@1+ (1,0) [0|1] "" Vector__XXX
 SG_ TotalCurrent : 40|8@1+ (1,0) [0|255] "A" Vector__XXX


BA_DEF_ BO_ "GenMsgCycleTime" INT 0 65535;
BA_DEF_DEF_ "GenMsgCycleTime" 0;
BA_ "GenMsgCycleTime" BO_ 416 100;
)");
}

TEST(DbcExport, EveryLayoutReadsBack) {
    ConfigStore s;
    Name(s, 1, "Head light");
    Name(s, 2, "Head light"); // repeats
    Name(s, 3, "2nd horn");   // no identifier as it stands
    CanExportControls e1 = s.canExport(1);
    e1.rowCount = QStringLiteral("2");
    s.setCanExport(1, e1);
    Export(s, 1, "100", "50", {1, 0, 0, 0, 0, 2, 3, 4, 5});
    std::vector<int> bits(34, 0);
    bits[33] = 34; // data byte 4 bit 6
    bits[8] = 3;   // data byte 1 bit 7
    Export(s, 3, "7FF", "1000", bits);
    std::vector<int> four(64, 0);
    four[0] = 1;  // byte 0 bit 7: status
    four[63] = 1; // byte 7 bit 0: error
    Export(s, 4, "0", "20", four);

    const DbcResult r = ExportDbc(s);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const auto db = ReadDbc(r.text);
    ASSERT_EQ(db.size(), 3u);

    const DbcMessage& m1 = db.at(0x100);
    EXPECT_EQ(m1.cycle, 50);
    EXPECT_EQ(m1.dlc, 8);
    EXPECT_EQ(m1.sigs.at("RowCounter").mux, "M");
    const DbcSignal& byte1 = m1.sigs.at("Head_light_Current");
    EXPECT_EQ(byte1.start, 8);
    EXPECT_EQ(byte1.factor, 4);
    EXPECT_EQ(byte1.unit, "A");
    EXPECT_EQ(m1.sigs.at("Head_light_Current_2").start, 48); // data byte 6 (box 6), same name
    EXPECT_EQ(m1.sigs.at("_2nd_horn_Current").mux, "m1");    // row 1 of data byte 7
    EXPECT_EQ(m1.sigs.at("_2nd_horn_Current").start, 56);
    EXPECT_EQ(m1.sigs.at("CH4_Current").mux, "m2");
    EXPECT_EQ(m1.sigs.count("CH5_Current"), 0u); // row 3 is past the row count
    EXPECT_EQ(m1.sigs.size(), 5u);

    const DbcMessage& m3 = db.at(0x7FF);
    EXPECT_EQ(m3.sigs.at("CH34_Error").start, 38);
    EXPECT_EQ(m3.sigs.at("_2nd_horn_Error").start, 15);
    EXPECT_EQ(m3.sigs.at("TotalCurrent").start, 40);

    const DbcMessage& m4 = db.at(0);
    EXPECT_EQ(m4.sigs.at("Head_light_On").start, 7);
    EXPECT_EQ(m4.sigs.at("Head_light_Error").start, 56);
    EXPECT_EQ(m4.sigs.at("Head_light_Error").length, 1);
}

TEST(DbcExport, IdentifiersAndRefusals) {
    const struct {
        const char* name;
        const char* id;
    } names[] = {{"Beacon", "Beacon"}, {" Rear  fog-light ", "Rear_fog_light"}, {"9V", "_9V"},
                 {"***", "CH7"}, {"", "CH7"}, {"Lüfter", "L_fter"}};
    for (const auto& n : names)
        EXPECT_EQ(DbcIdentifier(QString::fromUtf8(n.name), QStringLiteral("CH7")), n.id) << n.name;

    ConfigStore s;
    Export(s, 2, "800", "100", {});
    const DbcResult r = ExportDbc(s);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(QLatin1String("0x800"))) << r.error.toStdString();
    EXPECT_TRUE(r.text.isEmpty());
}
