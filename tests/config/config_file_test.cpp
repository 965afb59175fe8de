// Saving: key order against files written from the key tables, save/load
// round trip, refused saves that leave the earlier file alone, extensions.
#include "cfg_test_files.h"
#include "config/block_accessors.h"
#include "config/config_file.h"
#include "config/encodings.h"
#include "config/records.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace vm;

namespace {

const QString kData = QStringLiteral(CONFIG_FILE_TEST_DATA);

QString DataFile(const char* name) { return kData + "/" + name; }

void ExpectSameLines(const QString& gotPath, const QString& wantPath) {
    const QList<QByteArray> got = ReadBytes(gotPath).split('\n');
    const QList<QByteArray> want = ReadBytes(wantPath).split('\n');
    ASSERT_GT(want.size(), 1000) << wantPath.toStdString();
    for (qsizetype i = 0; i < std::min(got.size(), want.size()); ++i)
        ASSERT_EQ(got[i].toStdString(), want[i].toStdString()) << wantPath.toStdString() << " line " << i + 1;
    EXPECT_EQ(got.size(), want.size());
}

void ExpectSameBlocks(const ConfigStore& a, const ConfigStore& b) {
    for (int n = 1; n <= kInputCount; ++n)
        EXPECT_EQ(a.input(n), b.input(n)) << "input " << n;
    for (int ch = 1; ch <= kOutputCount; ++ch)
        EXPECT_EQ(a.output(ch), b.output(ch)) << "output " << ch;
    EXPECT_EQ(a.pwm(), b.pwm());
    EXPECT_EQ(a.lowBattery(), b.lowBattery());
    EXPECT_EQ(a.startButton(), b.startButton());
    EXPECT_EQ(a.canSettings(), b.canSettings());
    for (int n = 1; n <= kCanRuleCount; ++n)
        EXPECT_EQ(a.canInputName(n), b.canInputName(n)) << n;
    for (int n = 1; n <= kVirtualInputCount; ++n)
        EXPECT_EQ(a.virtualInputName(n), b.virtualInputName(n)) << n;
    for (int e = 1; e <= 4; ++e)
        EXPECT_EQ(a.canExport(e), b.canExport(e)) << "export " << e;
    EXPECT_TRUE(std::ranges::equal(a.recordTables(), b.recordTables()));
}

} // namespace

// The expected files were written from the key tables, not by this code.
TEST(ConfigFileSave, StartValuesSaveInFileOrder) {
    QTemporaryDir dir;
    ASSERT_TRUE(SaveConfigFile(ConfigStore{}, dir.filePath("start.cfg")));
    ExpectSameLines(dir.filePath("start.cfg"), DataFile("start_values.cfg"));
}

// Loading the file and saving it again must reproduce it line for line: a
// key either side spells or places differently shows up as a default.
TEST(ConfigFileSave, LoadedValuesSaveBackInFileOrder) {
    QTemporaryDir dir;
    ConfigStore s;
    LoadConfigFile(s, DataFile("some_values.cfg"));
    EXPECT_EQ(s.output(5).name, "Fuel pump");
    EXPECT_EQ(s.output(5).maxCurrent, "12.5");
    EXPECT_EQ(s.output(5).trigger, 3);
    EXPECT_EQ(s.output(34).trigger, 47);
    EXPECT_EQ(s.lowBattery().upperThreshold, "12,3");
    EXPECT_TRUE(s.lowBattery().list[33].checked);
    const CanInputRule rule = CanRuleRecord(s, 1);
    EXPECT_EQ(rule.offId, -1);
    EXPECT_EQ(rule.rowByte, 7);
    EXPECT_EQ(rule.rowValue, 200);
    EXPECT_EQ(rule.offset, -3);
    EXPECT_EQ(rule.multiplicator, 0.1f);
    EXPECT_TRUE(std::signbit(CanRuleRecord(s, 2).multiplicator));
    EXPECT_EQ(FlashRecord(s, 4).outputs[1], 33);
    EXPECT_EQ(s.canExport(1).id, "1A0");
    EXPECT_EQ(s.canExport(4).boxes[63], 34);

    ASSERT_TRUE(SaveConfigFile(s, dir.filePath("some.cfg")));
    ExpectSameLines(dir.filePath("some.cfg"), DataFile("some_values.cfg"));
}

TEST(ConfigFileSave, SaveThenLoadGivesTheSameBlocksAndKeepsTheUnitName) {
    QTemporaryDir dir;
    ConfigStore saved;
    LoadConfigFile(saved, DataFile("some_values.cfg"));
    saved.setBoxName("Saved unit");
    ASSERT_TRUE(SaveConfigFile(saved, dir.filePath("all.cfg")));

    ConfigStore loaded;
    loaded.setBoxName("Connected unit");
    LoadConfigFile(loaded, dir.filePath("all.cfg"));
    ExpectSameBlocks(saved, loaded);
    EXPECT_EQ(loaded.boxName(), "Connected unit");
}

TEST(ConfigFileSave, ExportTextThatIsNoNumberRefusesTheSaveAndKeepsTheEarlierFile) {
    const struct {
        int exportNo;
        QString CanExportControls::*field;
        const char* text;
        const char* message;
    } cases[] = {
        {2, &CanExportControls::refresh, "12x", "'12x' is not a valid integer value"},
        {1, &CanExportControls::rowCount, "", "'' is not a valid integer value"},
        {1, &CanExportControls::refresh, "1e3", "'1e3' is not a valid integer value"},
        {4, &CanExportControls::id, "G00", "'0xG00' is not a valid integer value"},
        {3, &CanExportControls::id, "", "'0x' is not a valid integer value"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("earlier.cfg");
    ConfigStore good;
    LoadConfigFile(good, DataFile("some_values.cfg"));
    ASSERT_TRUE(SaveConfigFile(good, path));
    const QByteArray before = ReadBytes(path);

    for (const auto& c : cases) {
        ConfigStore bad;
        CanExportControls e = bad.canExport(c.exportNo);
        e.*c.field = c.text;
        bad.setCanExport(c.exportNo, e);
        QString error;
        EXPECT_FALSE(SaveConfigFile(bad, path, &error)) << c.text;
        EXPECT_EQ(error.toStdString(), c.message);
        EXPECT_EQ(ReadBytes(path), before) << c.text;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"earlier.cfg"}); // no leftovers
}

TEST(ConfigFileSave, FileThatCannotBeCreatedIsReported) {
    QTemporaryDir dir;
    const QString path = dir.filePath("missing folder/unit.cfg");
    QString error;
    EXPECT_FALSE(SaveConfigFile(ConfigStore{}, path, &error));
    EXPECT_EQ(error, QStringLiteral("Unable to create file: '%1'").arg(path));
}

TEST(ConfigFileSave, AnotherExtensionWritesTheCfgFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(SaveConfigFile(ConfigStore{}, dir.filePath("unit.txt")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("unit.txt")));
    EXPECT_EQ(ReadBytes(dir.filePath("unit.cfg")), ReadBytes(DataFile("start_values.cfg")));

    WriteBytes(dir.filePath("unit.cfg"), "[OUTPUT]\nNAME5=Fuel pump\n");
    ConfigStore loaded;
    LoadConfigFile(loaded, dir.filePath("unit.TXT")); // reads unit.cfg
    EXPECT_EQ(loaded.output(5).name, "Fuel pump");
}

TEST(ConfigFileSave, ForceCfgExtension) {
    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"unit.cfg", "unit.cfg"},
        {"unit.CFG", "unit.cfg"},
        {"unit", "unit.cfg"},
        {"unit.txt", "unit.cfg"},
        {"unit.tar.gz", "unit.tar.cfg"},
        {"unit.", "unit.cfg"},
        {"/home/me/my.configs/unit", "/home/me/my.configs/unit.cfg"},
        {"/home/me/my.configs/unit.ini", "/home/me/my.configs/unit.cfg"},
        {"C:\\Cars.old\\truck", "C:\\Cars.old\\truck.cfg"},
        {"", ".cfg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ForceCfgExtension(c.path).toStdString(), c.expected) << c.path;
}
