// A flash name field keeps 14 characters and its terminating zero on every
// path into the store, so saving and opening gives the very same blocks.
#include "config/block_accessors.h"
#include "config/block_layouts.h"
#include "config/config_file.h"
#include "config/records.h"
#include "protocol/message_catalogue.h"

#include <gtest/gtest.h>

using namespace vm;

namespace {

const QString kNames[] = {"Hazard blink3", "Hazard blink14", "Hazard blink 15"}; // 13, 14, 15

void FromSetter(ConfigStore& s, const QString& name) { SetFlashName(s, 2, name); }

void FromFile(ConfigStore& s, const QString& name) {
    const ConfigFileReport r =
        ParseConfigText(s, "[FLASH]\nFLASH_NAME2=" + name.toLatin1() + "\n", "unit.cfg");
    ASSERT_TRUE(r.ok) << r.error.toStdString();
}

// The unit's answer fills the whole 15-byte field when the name is that long.
void FromUnit(ConfigStore& s, const QString& name) {
    std::vector<std::uint8_t> payload(1 + kFlashBytes, 0);
    payload[0] = 1; // flash function 2
    const QByteArray bytes = name.toLatin1().left(kFlashNameBytes);
    std::copy(bytes.begin(), bytes.end(), payload.begin() + 1 + kFlashNameOffset);
    ASSERT_TRUE(
        ApplyConfigBlock(s, LinkPacket::make(kGroupApp, msg::FLASH, payload.data(), int(payload.size()))));
}

} // namespace

TEST(FlashName, FourteenCharactersOnEveryPathAndThroughAFile) {
    const struct {
        const char* path;
        void (*fill)(ConfigStore&, const QString&);
    } paths[] = {{"setter", FromSetter}, {"file", FromFile}, {"unit answer", FromUnit}};
    for (const auto& p : paths)
        for (const QString& name : kNames) {
            ConfigStore s;
            p.fill(s, name);
            const QString kept = name.left(kFlashNameChars);
            EXPECT_EQ(FlashName(s, 2), kept) << p.path << " " << name.toStdString();
            // The field ends in its zero, as the unit is sent it.
            const PackedBlock sent = PackConfigBlock(s, msg::FLASH_WRITE, 1);
            ASSERT_TRUE(sent.ok());
            EXPECT_EQ(sent.packet.at(5 + kFlashNameOffset + kFlashNameChars), 0) << p.path;

            QByteArray saved;
            ASSERT_TRUE(SaveConfigText(s, &saved));
            ConfigStore opened;
            ASSERT_TRUE(ParseConfigText(opened, saved, "saved.cfg").ok);
            EXPECT_EQ(FlashName(opened, 2), kept) << p.path << " " << name.toStdString();
            EXPECT_TRUE(std::ranges::equal(opened.flash(1), s.flash(1)))
                << p.path << " " << name.toStdString();
        }
}
