// The fuzz corpus of .cfg files doubles as regression inputs: the named seeds
// give what they must, and every file in it (seeds and whatever fuzzing added)
// is either refused with its name, or saves and opens again to the very same
// blocks, lacking no key.
#include "cfg_test_files.h"
#include "config/block_accessors.h"
#include "config/config_file.h"
#include "config/records.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace vm;

namespace {

const QString kCorpus = QStringLiteral(CFG_FUZZ_CORPUS);

ConfigFileReport Open(ConfigStore& s, const QString& name) {
    return ParseConfigText(s, ReadBytes(kCorpus + "/" + name), name);
}

} // namespace

TEST(CfgCorpus, SeedsGiveWhatTheyMust) {
    const struct {
        const char* file;
        const char* refusal; // after the file name; empty: accepted
        std::function<void(const ConfigStore&, const ConfigFileReport&)> check;
    } cases[] = {
        {"full_saved.cfg", "",
         [](const ConfigStore& s, const ConfigFileReport& r) {
             EXPECT_TRUE(r.missingKeys.isEmpty());
             EXPECT_EQ(s.output(5).name, "Fuel pump");
         }},
        {"sim3_whole.cfg", "",
         [](const ConfigStore& s, const ConfigFileReport& r) {
             EXPECT_TRUE(r.missingKeys.isEmpty());
             EXPECT_EQ(FlashName(s, 1), "zT");
             EXPECT_EQ(s.canInputName(1), "?c#Y6${`AP~RY");
         }},
        {"only_trigger3.cfg", "",
         [](const ConfigStore& s, const ConfigFileReport& r) {
             EXPECT_EQ(s.output(3).trigger, 3);
             EXPECT_TRUE(r.missingKeys.contains("[OUTPUT] NAME1 to NAME34"));
         }},
        {"cp1252_crlf.cfg", "",
         [](const ConfigStore& s, const ConfigFileReport&) {
             EXPECT_EQ(s.output(1).name, QString::fromUtf8("Gebl\xc3\xa4se"));
             EXPECT_EQ(s.output(2).name, QString::fromUtf8("\xe2\x82\xac Pumpe \xe2\x80\x9c"
                                                           "A\xe2\x80\x9d"));
             EXPECT_EQ(s.output(1).trigger, 2);
         }},
        {"utf8_bom.cfg", "",
         [](const ConfigStore& s, const ConfigFileReport&) {
             EXPECT_EQ(s.output(1).name, QString::fromUtf8("Gebl\xc3\xa4se"));
             EXPECT_EQ(s.output(2).name, QString::fromUtf8("\xe2\x82\xac Pumpe"));
         }},
        {"comments_and_case.cfg", "",
         [](const ConfigStore& s, const ConfigFileReport&) {
             EXPECT_EQ(s.output(3).name, "Horn");
             EXPECT_EQ(s.startButton().trigger, 5);
             EXPECT_EQ(s.canExport(1).id, "1A0");
         }},
        {"numbers_and_flash.cfg", "",
         [](const ConfigStore& s, const ConfigFileReport&) {
             const CanInputRule rule = CanRuleRecord(s, 0);
             EXPECT_EQ(rule.onId, 2047);
             EXPECT_EQ(rule.offId, -1);
             EXPECT_EQ(rule.multiplicator, 1e-07f);
             EXPECT_EQ(rule.offset, -3);
             EXPECT_EQ(FlashName(s, 1), "Hazard blink 1");
             EXPECT_EQ(FlashRecord(s, 0).outputs[0], 33);
         }},
        {"bad_number.cfg", ":3: MAX_CURRENT3: \"12.5.3\" is not a number", {}},
        {"nul_inside.cfg", ":3: control character 0x00: not a text file", {}},
        {"junk_brackets.cfg", ":5: control character 0x00: not a text file", {}},
        {"odd_values.cfg", ":9: CAL_OFFSET_1: \"-300.7\" is out of range (-128 to 127)", {}},
    };
    for (const auto& c : cases) {
        ConfigStore s;
        const ConfigFileReport r = Open(s, c.file);
        if (*c.refusal) {
            EXPECT_EQ(r.error.toStdString(), std::string(c.file) + c.refusal);
            EXPECT_EQ(r.exitCode, 2) << c.file;
        } else {
            ASSERT_TRUE(r.ok) << c.file << ": " << r.error.toStdString();
            c.check(s, r);
        }
    }
}

TEST(CfgCorpus, EveryFileIsRefusedOrSavesAndOpensToTheSameBlocks) {
    const QStringList files = QDir(kCorpus).entryList(QDir::Files, QDir::Name);
    ASSERT_GT(files.size(), 20);
    int accepted = 0;
    for (const QString& file : files) {
        ConfigStore opened;
        const ConfigFileReport r = Open(opened, file);
        if (!r.ok) {
            EXPECT_TRUE(r.error.startsWith(file + ":")) << r.error.toStdString();
            continue;
        }
        ++accepted;
        QByteArray saved, again;
        QString error;
        ASSERT_TRUE(SaveConfigText(opened, &saved, &error))
            << file.toStdString() << ": " << error.toStdString();
        ConfigStore reopened;
        const ConfigFileReport back = ParseConfigText(reopened, saved, "saved.cfg");
        ASSERT_TRUE(back.ok) << file.toStdString() << ": " << back.error.toStdString();
        EXPECT_TRUE(back.missingKeys.isEmpty()) << file.toStdString();
        EXPECT_TRUE(SameBlocks(opened, reopened)) << file.toStdString();
        ASSERT_TRUE(SaveConfigText(reopened, &again));
        EXPECT_EQ(again, saved) << file.toStdString();
    }
    EXPECT_GT(accepted, 20);
}
