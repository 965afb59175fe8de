// Files that are no configuration, or not a sound one, are refused whole:
// the message names the file and the line, the exit code is 2, and the store
// keeps what it had.
#include "cfg_test_files.h"
#include "config/block_accessors.h"
#include "config/config_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

using namespace vm;

namespace {

// A store that differs from every default, and its saved form to compare.
void Prepare(ConfigStore& s) {
    SetOutputName(s, 1, "Before");
    SetOutputMaxCurrent(s, 2, 123);
    SetFlashName(s, 3, "Blink");
}

QByteArray Saved(const ConfigStore& s) {
    QByteArray bytes;
    EXPECT_TRUE(SaveConfigText(s, &bytes));
    return bytes;
}

void ExpectRefused(const ConfigFileReport& r, const ConfigStore& s, const QString& message, const char* row) {
    EXPECT_FALSE(r.ok) << row;
    EXPECT_EQ(r.exitCode, 2) << row;
    EXPECT_EQ(r.error.toStdString(), message.toStdString()) << row;
    EXPECT_TRUE(r.missingKeys.isEmpty()) << row;
    ConfigStore before;
    Prepare(before);
    EXPECT_EQ(Saved(s), Saved(before)) << row << ": the store changed";
}

} // namespace

TEST(ConfigFileRefusal, ContentsThatAreNoSoundConfiguration) {
    const struct {
        QByteArray contents;
        const char* message; // after "unit.cfg"
    } cases[] = {
        {"", ": empty file"},
        {"\n  \r\n\t\n", ": empty file"},
        {QByteArray("[OUTPUT]\nNAME1=Pump\0\nNAME2=Fan\n", 29),
         ":2: control character 0x00: not a text file"},
        {"\x89PNG\r\n\x1a\n\0\0\0\rIHDR", ":2: control character 0x1A: not a text file"},
        {"[OUTPUT]\nNAME1=A\x81\n", ":2: control character 0x81: not a text file"},
        {"Dear unit,\nplease keep my outputs.\n", ": not a configuration file (no known section and key)"},
        {"[SETTINGS]\nPATH=/home/me\n", ": not a configuration file (no known section and key)"},
        {"[OUTPUT]\nFOO=1\n[INPUT]\nTRIGGER3=1\n", ": not a configuration file (no known section and key)"},
        {"[OUTPUT]\nMAX_CURRENT3=12.5.3\n", ":2: MAX_CURRENT3: \"12.5.3\" is not a number"},
        {"[OUTPUT]\nMAX_CURRENT3=12.5\n", ":2: MAX_CURRENT3: \"12.5\" is not a whole number"},
        {"[OUTPUT]\nPEAK_TIME2=\n", ":2: PEAK_TIME2: \"\" is not a number"},
        {"[OUTPUT]\nTRIGGER4=449\n", ":2: TRIGGER4: \"449\" is out of range (0 to 255)"},
        {"[OUTPUT]\nON_TIME1=260\n", ":2: ON_TIME1: \"260\" is out of range (0 to 259)"},
        {"[INPUT]\nPWM_ENABLE=yes\n", ":2: PWM_ENABLE: \"yes\" is not a number"},
        {"[INPUT]\nMODE1=7\n", ":2: MODE1: \"7\" is out of range (0 to 1); 255 is none"},
        {"[CAN_INPUT]\nMULTIPLICATOR_1=NaN\n", ":2: MULTIPLICATOR_1: \"NaN\" is not a number"},
        {"[CAN_INPUT]\nMULTIPLICATOR_3=1e39\n",
         ":2: MULTIPLICATOR_3: \"1e39\" is out of range (-3.40282347e+38 to 3.40282347e+38)"},
        {"[CAN_INPUT]\nCAL_OFFSET_2=300\n", ":2: CAL_OFFSET_2: \"300\" is out of range (-128 to 127)"},
        {"[CAN_INPUT]\nCAN_LOW_BYTE_ON_POS1=258\n",
         ":2: CAN_LOW_BYTE_ON_POS1: \"258\" is out of range (0 to 255)"},
        {"[CAN_INPUT_ENABLE]\nINPUT_PIN=11\n", ":2: INPUT_PIN: \"11\" is out of range (-1 to 10)"},
        {"[CAN_EXPORT_1]\nCHANNEL_INDEX_1=19\n", ":2: CHANNEL_INDEX_1: \"19\" is out of range (-1 to 18)"},
        {"[CAN_EXPORT_2]\nREFRESS_TIME=-70000\n",
         ":2: REFRESS_TIME: \"-70000\" is out of range (0 to 65535)"},
        {"[CAN_EXPORT_3]\nCAN_ID=-70000\n", ":2: CAN_ID: \"-70000\" is out of range (-32768 to 65535)"},
        {"[LOW_BATTERY]\nLOW_TRIG=abc\n", ":2: LOW_TRIG: \"abc\" is not a number"},
        {"[LOW_BATTERY]\nUPPER_TRIG=30\n", ":2: UPPER_TRIG: \"30\" is out of range (0 to 25.5)"},
        {"[OUTPUT]\nNAME1=Pump\ngarbage line\n",
         ":3: \"garbage line\" is neither a [section] nor a key=value line"},
        {"[INPUT]\nNAME1=a\n[OUTPUT\nNAME1=b\n", ":3: \"[OUTPUT\" has no closing ']'"},
        {"[OUTPUT]\nNAME1=Pump\nname1=Fan\n", ":3: name1 repeats line 2"},
        {"[OUTPUT]\nNAME1=\xce\xa9mega\n", ":2: NAME1: the unit cannot hold '\xce\xa9' in a name"},
        {"[OUTPUT]\nNAME1=Pump\tA\n", ":2: NAME1: the unit cannot hold U+0009 in a name"},
        // The earliest line is named, whichever block is read first.
        {"[OUTPUT]\nTRIGGER2=x\n[INPUT]\nMODE1=9\n", ":2: TRIGGER2: \"x\" is not a number"},
        {QByteArray(kMaxConfigFileBytes + 1, ' '),
         ": too large (a configuration file has at most 1048576 bytes)"},
    };
    for (const auto& c : cases) {
        ConfigStore s;
        Prepare(s);
        const ConfigFileReport r = ParseConfigText(s, c.contents, "unit.cfg");
        ExpectRefused(r, s, QStringLiteral("unit.cfg") + QString::fromUtf8(c.message), c.message);
    }
}

#ifdef Q_OS_LINUX
namespace {

// Reads in a thread that lacks the capabilities which let root read any
// file, so that a file without read permission is refused to root too.
ConfigFileReport ReadWithoutOverride(ConfigStore& s, const QString& path) {
    ConfigFileReport report;
    std::thread reader([&] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (syscall(SYS_capget, &header, data) == 0) {
            for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
                data[cap / 32].effective &= ~(1u << (cap % 32));
            syscall(SYS_capset, &header, data); // this thread only
        }
        report = ReadConfigFile(s, path);
    });
    reader.join();
    return report;
}

} // namespace

TEST(ConfigFileRefusal, FilesThatCannotBeRead) {
    QTemporaryDir dir;
    const QString good = "[OUTPUT]\nNAME1=Pump\n";
    const QString unreadable = dir.filePath("unreadable.cfg");
    ASSERT_TRUE(WriteBytes(unreadable, good.toLatin1()));
    ASSERT_EQ(::chmod(QFile::encodeName(unreadable).constData(), 0), 0);
    const QString fifo = dir.filePath("fifo.cfg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString large = dir.filePath("large.cfg");
    {
        QFile f(large);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(kMaxConfigFileBytes + 1));
    }
    QDir(dir.path()).mkdir("folder.cfg");

    const struct {
        QString path;
        const char* message;
    } cases[] = {
        {dir.filePath("missing.cfg"), ": no such file"},
        {dir.filePath("missing folder/unit.cfg"), ": no such file"},
        {dir.filePath("folder.cfg"), ": is a directory"},
        {fifo, ": not a regular file"}, // and no hang on opening it
        {"/dev/zero", ": not a regular file"},
        {unreadable, ": permission denied"},
        {large, ": too large (a configuration file has at most 1048576 bytes)"},
    };
    for (const auto& c : cases) {
        ConfigStore s;
        Prepare(s);
        const ConfigFileReport r = ReadWithoutOverride(s, c.path);
        ExpectRefused(r, s, c.path + QString::fromUtf8(c.message), c.message);
    }
}
#endif

TEST(ConfigFileRefusal, ASoundFileStillLoadsThroughTheSameFunction) {
    QTemporaryDir dir;
    const QString path = dir.filePath("unit.cfg");
    ASSERT_TRUE(WriteBytes(path, "[OUTPUT]\r\nNAME1 = Pump \r\n; a comment\r\n"));
    ConfigStore s;
    const ConfigFileReport r = ReadConfigFile(s, path);
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(s.output(1).name, "Pump");
    EXPECT_FALSE(r.missingKeys.isEmpty());
}
