#include "config/ini_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using vm::IniFile;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

} // namespace

TEST(IniFile, MissingFileIsEmptyAndGivesDefaults) {
    QTemporaryDir dir;
    IniFile ini;
    ini.WriteString("Old", "Key", "stale");
    EXPECT_TRUE(ini.Load(dir.filePath("none.ini")));
    EXPECT_TRUE(ini.SectionNames().isEmpty());
    EXPECT_EQ(ini.ReadString("Form", "Top", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 17), 17);
    EXPECT_TRUE(ini.ReadBool("Form", "InitMax", true));
}

TEST(IniFile, BooleansReadInAnyCaseAndWriteAsDigits) {
    const struct {
        const char* text;
        bool def;
        bool expected;
    } cases[] = {
        {"1", false, true},     {"true", false, true}, {"TRUE", false, true}, {"True", false, true},
        {"0", true, false},     {"false", true, false}, {"FaLsE", true, false}, {"yes", false, false},
        {"yes", true, true},    {"", true, true},      {"2", false, false},
    };
    IniFile ini;
    for (const auto& c : cases) {
        ini.WriteString("S", "B", c.text);
        EXPECT_EQ(ini.ReadBool("S", "B", c.def), c.expected) << c.text << " default " << c.def;
    }
    ini.WriteBool("S", "On", true);
    ini.WriteBool("S", "Off", false);
    const QByteArray text = ini.ToText();
    EXPECT_TRUE(text.contains("On=1")) << text.constData();
    EXPECT_TRUE(text.contains("Off=0")) << text.constData();
}

TEST(IniFile, IntegersDecimalAndHexOtherwiseDefault) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {{"42", 42}, {"-7", -7}, {" 12 ", 12}, {"0x1F", 31}, {"0X10", 16},
                 {"010", 10}, {"abc", -1}, {"12abc", -1}, {"", -1}};
    IniFile ini;
    for (const auto& c : cases) {
        ini.WriteString("S", "I", c.text);
        EXPECT_EQ(ini.ReadInteger("S", "I", -1), c.expected) << c.text;
    }
}

TEST(IniFile, KeepsFileOrderNamesCaseInsensitiveValuesLiteral) {
    IniFile ini;
    ASSERT_TRUE(ini.LoadFromText("[Zeta]\nb=2\na=1\n[CAN Input 1]\nName CH1=Fan; left \\ rear\n[Alpha]\nx=\n"));
    EXPECT_EQ(ini.SectionNames(), (QStringList{"Zeta", "CAN Input 1", "Alpha"}));
    EXPECT_EQ(ini.KeyNames("zeta"), (QStringList{"b", "a"}));
    EXPECT_EQ(ini.ReadString("can input 1", "NAME ch1"), "Fan; left \\ rear");
    EXPECT_TRUE(ini.ValueExists("alpha", "X"));
    EXPECT_EQ(ini.ReadString("Alpha", "x", "dflt"), "");

    // Changing a key keeps its place; new keys and sections go to the end.
    ini.WriteString("ZETA", "B", "20");
    ini.WriteString("Zeta", "c", "3");
    ini.WriteString("Beta", "k", "v");
    EXPECT_EQ(ini.KeyNames("Zeta"), (QStringList{"b", "a", "c"}));
    EXPECT_EQ(ini.SectionNames(), (QStringList{"Zeta", "CAN Input 1", "Alpha", "Beta"}));
    const QByteArray text = ini.ToText();
    EXPECT_TRUE(text.contains("b=20\na=1\nc=3")) << text.constData();

    ini.DeleteKey("zeta", "a");
    ini.EraseSection("alpha");
    EXPECT_EQ(ini.KeyNames("Zeta"), (QStringList{"b", "c"}));
    EXPECT_FALSE(ini.SectionExists("Alpha"));
}

TEST(IniFile, SaveAndLoadRoundTrip) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    IniFile ini;
    ini.WriteString("Form", "Top", "5");
    ini.WriteString("CONFIG", "PATH", "/home/user/my configs");
    QString error;
    ASSERT_TRUE(ini.Save(path, &error)) << error.toStdString();
    IniFile back;
    ASSERT_TRUE(back.Load(path));
    EXPECT_EQ(back.ReadInteger("form", "top"), 5);
    EXPECT_EQ(back.ReadString("Config", "Path"), "/home/user/my configs");
    EXPECT_EQ(back.ToText(), ini.ToText());
    // Loading replaces, and the key=value style survives a reload.
    ASSERT_TRUE(back.LoadFromText("[Only]\nk=v\n"));
    EXPECT_EQ(back.SectionNames(), QStringList{"Only"});
    back.WriteString("Only", "n", "1");
    EXPECT_TRUE(back.ToText().contains("n=1"));
}

TEST(IniFile, FailedSaveReportsAndLeavesNoPartialFile) {
    QTemporaryDir dir;
    const QString blocker = dir.filePath("plain-file");
    WriteAll(blocker, "not a folder");
    IniFile ini;
    ini.WriteString("S", "k", "v");
    QString error;
    EXPECT_FALSE(ini.Save(blocker + "/settings.ini", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadAll(blocker), "not a folder");
}

TEST(IniFile, FailedSaveLeavesEarlierFileUnchanged) {
    QTemporaryDir dir;
    const QString sub = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString path = sub + "/settings.ini";
    WriteAll(path, "[Form]\nTop=1\n");
    ASSERT_EQ(::chmod(sub.toLocal8Bit().constData(), 0555), 0);
    if (::access(sub.toLocal8Bit().constData(), W_OK) == 0) {
        ::chmod(sub.toLocal8Bit().constData(), 0755);
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }
    IniFile ini;
    ini.WriteString("Form", "Top", "2");
    QString error;
    EXPECT_FALSE(ini.Save(path, &error));
    ::chmod(sub.toLocal8Bit().constData(), 0755);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadAll(path), "[Form]\nTop=1\n");
}
