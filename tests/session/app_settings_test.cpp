#include "session/app_settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using vm::AppSettings;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(SettingsFilePath, BesideExecutableOrInUserFolder) {
    const struct {
        const char* exe;
        bool writable;
        const char* expected;
    } cases[] = {
        {"/opt/vm/voltmast-tool", true, "/opt/vm/voltmast-tool.INI"},
        {"/opt/vm/voltmast-tool", false, "/home/u/.config/voltmast-tool.INI"},
        {"C:/Tools/VoltmastTool.exe", true, "C:/Tools/VoltmastTool.INI"},
        {"C:/Program Files/VM/VoltmastTool.EXE", false, "/home/u/.config/VoltmastTool.INI"},
        {"/usr/bin/my.tool", true, "/usr/bin/my.tool.INI"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vm::SettingsFilePath(c.exe, c.writable, "/home/u/.config"), c.expected) << c.exe;
}

TEST(AppSettings, DefaultsWhenFileMissing) {
    QTemporaryDir dir;
    AppSettings s(dir.filePath("x.INI"), "/start/dir");
    s.Load();
    EXPECT_EQ(s.top, AppSettings::kDesignTop);
    EXPECT_EQ(s.left, AppSettings::kDesignLeft);
    EXPECT_EQ(s.width, 983);
    EXPECT_FALSE(s.initMax);
    EXPECT_EQ(s.configPath, "/start/dir");
}

TEST(AppSettings, RoundTripKeepsOtherSections) {
    QTemporaryDir dir;
    const QString path = dir.filePath("voltmast-tool.INI");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[FIRMWARE]\nPATH=/fw/unit.hex\n");
    }
    AppSettings s(path, "/start");
    s.top = 12;
    s.left = 34;
    s.width = 1111;
    s.initMax = true;
    s.configPath = "/data/my cfg";
    ASSERT_TRUE(s.Save());

    const QByteArray text = ReadAll(path);
    EXPECT_TRUE(text.contains("[FIRMWARE]\nPATH=/fw/unit.hex")) << text.constData();
    EXPECT_TRUE(text.contains("[Form]\nTop=12\nLeft=34\nWidth=1111\nInitMax=1\n")) << text.constData();
    EXPECT_TRUE(text.contains("[CONFIG]\nPATH=/data/my cfg")) << text.constData();

    AppSettings back(path, "/elsewhere");
    back.Load();
    EXPECT_EQ(back.top, 12);
    EXPECT_EQ(back.left, 34);
    EXPECT_EQ(back.width, 1111);
    EXPECT_TRUE(back.initMax);
    EXPECT_EQ(back.configPath, "/data/my cfg");
}

TEST(AppSettings, ReadsWhatOtherWritersPutThere) {
    QTemporaryDir dir;
    const QString path = dir.filePath("s.INI");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[form]\r\nTOP=-8\r\nInitMax=True\r\nWidth=wide\r\n");
    }
    AppSettings s(path, "/start");
    s.Load();
    EXPECT_EQ(s.top, -8);
    EXPECT_TRUE(s.initMax);
    EXPECT_EQ(s.width, 983); // not a number: default
    EXPECT_EQ(s.configPath, "/start");
}

TEST(AppSettings, JunkGeometryKeepsTheDefaultAndIsNotSavedBack) {
    struct Case {
        const char* form;
        int top, left, width;
        bool initMax;
    };
    const Case cases[] = {
        {"Top=2147483647\nLeft=-99999\nWidth=2147483647\nInitMax=2\n", 80, 120, 983, true},
        {"Top=-200\nLeft=3000\nWidth=50\nInitMax=-1\n", -200, 3000, 983, true},
        {"Top=0\nLeft=0\nWidth=1200\nInitMax=0\n", 0, 0, 1200, false},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("s.INI");
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("[Form]\n") + c.form);
        }
        AppSettings s(path, "/start");
        s.Load();
        EXPECT_EQ(s.top, c.top) << c.form;
        EXPECT_EQ(s.left, c.left) << c.form;
        EXPECT_EQ(s.width, c.width) << c.form;
        EXPECT_EQ(s.initMax, c.initMax) << c.form;
        ASSERT_TRUE(s.Save());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_FALSE(f.readAll().contains("2147483647"));
    }
}

TEST(AppSettings, SaveFailureIsReported) {
    QTemporaryDir dir;
    const QString blocker = dir.filePath("file");
    {
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    AppSettings s(blocker + "/sub/x.INI", "/start");
    QString error;
    EXPECT_FALSE(s.Save(&error));
    EXPECT_FALSE(error.isEmpty());
}
