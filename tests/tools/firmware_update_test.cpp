// The firmware update's byte handler against a scripted bootloader: what the
// tool sends for each byte the unit sends, and how each exchange ends.
#include "tools/firmware/firmware_update.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vm;
using Bytes = std::vector<std::uint8_t>;

namespace {

// One application for the whole test program, whichever file asks first.
void app() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "firmware_update_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
}

struct ScriptedLink : RawLink {
    bool open = true;
    int routeChanges = 0;
    bool raw = false;
    std::vector<Bytes> sent; // one entry per SendRaw
    bool RouteRaw(bool on) override {
        raw = on;
        ++routeChanges;
        return open;
    }
    void SendRaw(const std::uint8_t* bytes, int count) override { sent.emplace_back(bytes, bytes + count); }
};

std::unique_ptr<HEXFile> Image(std::uint32_t from, std::uint32_t to) {
    auto image = std::make_unique<HEXFile>(HEXFile::kFirmwareSize, 0xFF);
    std::string text;
    char buf[80];
    std::uint32_t base = ~0u;
    for (std::uint32_t a = from; a <= to; ++a) {
        if ((a >> 16) != base) {
            base = a >> 16;
            std::snprintf(buf, sizeof buf, ":02000004%04X%02X\n", base, (-(6 + (base >> 8) + (base & 0xFF))) & 0xFF);
            text += buf;
        }
        const int value = static_cast<int>(a & 0xFF) ^ 0x5A;
        const int sum = 1 + ((a >> 8) & 0xFF) + (a & 0xFF) + value;
        std::snprintf(buf, sizeof buf, ":01%04X00%02X%02X\n", a & 0xFFFF, value, (-sum) & 0xFF);
        text += buf;
    }
    image->LoadText(text + ":00000001FF\n");
    return image;
}

struct Runner {
    ScriptedLink link;
    FirmwareUpdate update{link};
    std::vector<std::pair<bool, QString>> ends;
    std::vector<int> progress;
    Runner() {
        app();
        QObject::connect(&update, &FirmwareUpdate::finished,
                         [this](bool ok, const QString& text) { ends.emplace_back(ok, text); });
        QObject::connect(&update, &FirmwareUpdate::progressChanged, [this](int p) { progress.push_back(p); });
    }
    void feed(const std::string& bytes) {
        for (char c : bytes) update.ByteReceived(static_cast<std::uint8_t>(c));
    }
};

Bytes Addresses(const std::vector<Bytes>& sent) {
    Bytes out;
    for (const Bytes& s : sent)
        if (s.size() > 2) out.insert(out.end(), {s[0], s[1]});
    return out;
}

} // namespace

TEST(FirmwareUpdate, ExchangeByTheStateTable) {
    struct Case {
        const char* what;
        std::uint32_t from, to; // image range
        std::string before;     // bytes before the image is armed
        std::string unit;       // bytes the bootloader sends after
        Bytes addresses;        // address bytes of the blocks sent, in order
        bool endMark;           // 0xFF 0xFF sent last
        int ends;               // finished() calls
        bool ok;
        QString text;
    };
    const Case cases[] = {
        {"two blocks then the end", 0x0000, 0x01FF, "", ">T!!!", {0, 0, 0, 1}, true, 1, true, firmware_text::kUpdated},
        {"block at 0x012300", 0x012300, 0x0123FF, "", ">T!!", {0x01, 0x23}, true, 1, true, firmware_text::kUpdated},
        {"'>' before Program ignored", 0x0000, 0x00FF, ">>", "", {}, false, 0, false, ""},
        {"prompt repeated and chatter ignored", 0x0000, 0x00FF, "", ">>DOfpT>!!", {0, 0}, true, 1, true,
         firmware_text::kUpdated},
        {"'@' ends it; a later '!' is ignored", 0x0000, 0x01FF, "", ">T!@!", {0, 0}, false, 1, false,
         firmware_text::kAborted},
        {"'!' before 'T'", 0x0000, 0x00FF, "", ">!", {}, false, 1, false, firmware_text::kNoBlockSize},
        {"byte outside the table", 0x0000, 0x01FF, "", ">T!X!", {0, 0}, false, 1, false,
         firmware_text::UnexpectedByte('X')},
        {"unaligned start goes from its block", 0x0010, 0x0113, "", ">T!!!", {0, 0, 0, 1}, true, 1, true,
         firmware_text::kUpdated},
        {"last block of the image", 0x1FFF8, 0x1FFFF, "", ">T!!", {0x01, 0xFF}, true, 1, true,
         firmware_text::kUpdated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Runner run;
        run.feed(c.before);
        run.update.Arm(Image(c.from, c.to));
        run.feed(c.unit);
        const auto& sent = run.link.sent;
        if (c.unit.empty()) {
            EXPECT_TRUE(sent.empty());
        } else {
            ASSERT_FALSE(sent.empty());
            EXPECT_EQ(sent.front(), Bytes{'<'});
        }
        EXPECT_EQ(Addresses(sent), c.addresses);
        EXPECT_EQ(!sent.empty() && sent.back() == Bytes({0xFF, 0xFF}), c.endMark);
        ASSERT_EQ(static_cast<int>(run.ends.size()), c.ends);
        if (c.ends) {
            EXPECT_EQ(run.ends[0].first, c.ok);
            EXPECT_EQ(run.ends[0].second, c.text);
            EXPECT_FALSE(run.update.busy());
        }
        for (int p : run.progress) EXPECT_TRUE(p >= 0 && p <= 100) << p;
        if (c.ok) EXPECT_EQ(run.progress.back(), 100);
        // Every block is whole and carries the image with its sum.
        for (const Bytes& block : sent) {
            if (block.size() <= 2) continue;
            ASSERT_EQ(block.size(), 259u);
            const std::uint32_t page = static_cast<std::uint32_t>(block[0]) << 16 | block[1] << 8;
            std::uint8_t sum = 0;
            for (std::uint32_t i = 0; i < 256; ++i) {
                const std::uint32_t a = page + i;
                const int want = a >= c.from && a <= c.to ? static_cast<int>((a & 0xFF) ^ 0x5A) : 0xFF;
                EXPECT_EQ(block[2 + i], want) << std::hex << a;
                sum = static_cast<std::uint8_t>(sum + block[2 + i]);
            }
            EXPECT_EQ(block.back(), sum);
        }
    }
}

TEST(FirmwareUpdate, TimeoutsLossAndRefusedFilesEndAsFailures) {
    struct Case {
        const char* what;
        std::string unit;
        int promptMs;
        enum { Timer, Lost, BadFile } event;
        QString text;
    };
    const Case cases[] = {
        {"no prompt within the wait", "", 2000, Case::Timer, firmware_text::kNoAnswer},
        {"no block request after the prompt", ">T", 0, Case::Timer, firmware_text::kNoAnswer},
        {"silent after a block", ">T!", 0, Case::Timer, firmware_text::kNoAnswer},
        {"device gone mid-update", ">T!", 0, Case::Lost, firmware_text::kDisconnected},
        {"refused file disarms", "", 0, Case::BadFile, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Runner run;
        EXPECT_TRUE(run.link.raw);
        EXPECT_TRUE(run.update.linkOpen());
        run.update.SetPromptTimeoutMs(c.promptMs);
        run.update.Arm(Image(0, 0x2FF));
        EXPECT_EQ(run.update.byteTimer().isActive(), c.promptMs > 0);
        run.feed(c.unit);
        if (!c.unit.empty()) EXPECT_EQ(run.update.byteTimer().interval(), FirmwareUpdate::kByteTimeoutMs);
        if (c.event == Case::Timer) run.update.TimerByteTimer();
        if (c.event == Case::Lost) run.update.OnDeviceLost();
        if (c.event == Case::BadFile) {
            QString text;
            EXPECT_FALSE(run.update.Program(QStringLiteral("/nonexistent/fw.hex"), &text));
            EXPECT_EQ(text, QStringLiteral("/nonexistent/fw.hex: ") + hex_text::kCannotOpen);
            EXPECT_FALSE(run.update.Program(QString(), &text));
            EXPECT_EQ(text, firmware_text::kNoFileSelected);
            run.feed(">T!!");
            EXPECT_TRUE(run.link.sent.empty()); // the earlier image is not sent
            EXPECT_TRUE(run.ends.empty());
            continue;
        }
        ASSERT_EQ(run.ends.size(), 1u);
        EXPECT_FALSE(run.ends[0].first);
        EXPECT_EQ(run.ends[0].second, c.text);
        EXPECT_FALSE(run.update.byteTimer().isActive());
        const std::size_t sentBefore = run.link.sent.size();
        run.feed("!!>");
        EXPECT_EQ(run.link.sent.size(), sentBefore); // nothing after a failure
        EXPECT_EQ(run.ends.size(), 1u);
    }
}

TEST(FirmwareUpdate, RouteIsRawWhileItExists) {
    app();
    ScriptedLink link;
    link.open = false;
    {
        FirmwareUpdate update(link);
        EXPECT_FALSE(update.linkOpen());
        EXPECT_TRUE(link.raw);
    }
    EXPECT_FALSE(link.raw);
    EXPECT_EQ(link.routeChanges, 2);
}
