// Names in .cfg files: read in the Windows code page or, for files this
// program wrote before, UTF-8; always written in the code page; and a name
// the unit cannot hold is refused rather than turned into '?'.
#include "config/block_accessors.h"
#include "config/code_page.h"
#include "config/config_file.h"

#include <gtest/gtest.h>

using namespace vm;

TEST(CfgEncoding, NamesSurviveParseSaveParse) {
    const struct {
        QByteArray head;  // what comes before "NAME1="
        QByteArray value; // NAME1's bytes in the file
        const char* name; // UTF-8 of what the unit shows
        QByteArray saved; // NAME1's bytes once saved
    } cases[] = {
        {"", "Gebl\xe4se", "Gebl\xc3\xa4se", "Gebl\xe4se"},           // Windows-1252 from the field
        {"", "Gebl\xc3\xa4se", "Gebl\xc3\xa4se", "Gebl\xe4se"},       // UTF-8 written by older versions
        {"\xef\xbb\xbf", "M\xc3\xbchle", "M\xc3\xbchle", "M\xfchle"}, // UTF-8 with its mark
        {"", "\x80 5 Gro\xdf", "\xe2\x82\xac 5 Gro\xc3\x9f", "\x80 5 Gro\xdf"}, // euro sign, sharp s
        {"", "\xe2\x82\xac 5", "\xe2\x82\xac 5", "\x80 5"},
        {"", "\x93Horn\x94 \x85", "\xe2\x80\x9cHorn\xe2\x80\x9d \xe2\x80\xa6", "\x93Horn\x94 \x85"},
        {"", "\xff", "\xc3\xbf", "\xff"},
        {"", "Pump", "Pump", "Pump"},
    };
    for (const auto& c : cases) {
        const QByteArray file = c.head + "[OUTPUT]\nNAME1=" + c.value + "\n";
        ConfigStore opened;
        const ConfigFileReport r = ParseConfigText(opened, file, "unit.cfg");
        ASSERT_TRUE(r.ok) << c.name << ": " << r.error.toStdString();
        EXPECT_EQ(OutputName(opened, 1), QString::fromUtf8(c.name));

        QByteArray saved;
        ASSERT_TRUE(SaveConfigText(opened, &saved));
        EXPECT_TRUE(saved.contains("\nNAME1=" + c.saved + "\n")) << c.name;
        ConfigStore reopened;
        ASSERT_TRUE(ParseConfigText(reopened, saved, "saved.cfg").ok) << c.name;
        EXPECT_EQ(OutputName(reopened, 1), QString::fromUtf8(c.name));
    }
}

TEST(CfgEncoding, ANameTheUnitCannotHoldRefusesTheSave) {
    ConfigStore s;
    SetOutputName(s, 3, QString::fromUtf8("\xce\xa9mega")); // no page refused it yet
    QByteArray saved;
    QString error;
    EXPECT_FALSE(SaveConfigText(s, &saved, &error));
    EXPECT_EQ(error, QString::fromUtf8("[OUTPUT] NAME3: the unit cannot hold '\xce\xa9' in a name"));
    EXPECT_TRUE(saved.isEmpty());
}

TEST(CfgEncoding, WhatTheUnitCanHold) {
    const struct {
        const char* name; // UTF-8
        int maxChars;
        bool holds;
        const char* why;
    } cases[] = {
        {"Pump", 15, true, ""},
        {"Gebl\xc3\xa4se \xe2\x82\xac", 15, true, ""},
        {"ABCDEFGHIJKLMNO", 15, true, ""},
        {"ABCDEFGHIJKLMNO", 14, false, "a name holds at most 14 characters"},
        {"\xce\xa9mega", 15, false, "the unit cannot hold '\xce\xa9' in a name"},
        {"\xf0\x9f\x98\x80", 15, false, "the unit cannot hold U+D83D in a name"},
        {"A\tB", 15, false, "the unit cannot hold U+0009 in a name"},
        {"A\xc2\x81", 15, false, "the unit cannot hold U+0081 in a name"},
        {"\x7f", 15, false, "the unit cannot hold U+007F in a name"},
        {"", 15, true, ""},
    };
    for (const auto& c : cases) {
        QString why;
        EXPECT_EQ(CanHoldName(QString::fromUtf8(c.name), c.maxChars, &why), c.holds) << c.name;
        EXPECT_EQ(why.toStdString(), c.why) << c.name;
    }
}
