// The FIA compare against the simulated unit, in-process: requests go to the
// unit and its answers come back through the tool's own frame assembler.
#include "tools/fia/fia_compare.h"

#include "protocol/message_catalogue.h"
#include "sim/sim_unit.h"
#include "tests/support/hex_text.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <deque>

using namespace vm;
using Bytes = std::vector<std::uint8_t>;

namespace {

// One application for the whole test program, whichever file asks first.
void app() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "fia_compare_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
}

struct SimLoop : FrameSink {
    sim::SimUnit unit;
    std::deque<Bytes> toUnit;
    FiaCompare fia{*this};
    FrameAssembler assembler{[this](const LinkPacket& p) { fia.ReceivePacket(p); }};
    QStringList status, target, file;
    std::vector<FiaCompare::Result> ends;
    QTemporaryDir dir;

    SimLoop() {
        app();
        QObject::connect(&fia, &FiaCompare::statusLine, [this](const QString& l) { status << l; });
        QObject::connect(&fia, &FiaCompare::targetLine, [this](const QString& l) { target << l; });
        QObject::connect(&fia, &FiaCompare::fileLine, [this](const QString& l) { file << l; });
        QObject::connect(&fia, &FiaCompare::finished, [this](FiaCompare::Result r, const QString&) { ends.push_back(r); });
    }
    void Enqueue(const std::uint8_t* frame, int length) override { toUnit.emplace_back(frame, frame + length); }
    // Requests to the unit and answers back until none is left (or max requests).
    void pump(std::size_t max = 100000) {
        for (std::size_t n = 0; n < max && !toUnit.empty(); ++n) {
            const Bytes request = toUnit.front();
            toUnit.pop_front();
            for (const sim::SimFrame& reply : unit.feed(request))
                assembler.PutBytes(reply.data(), static_cast<int>(reply.size()));
        }
    }
    // A HEX file of the unit's program memory below 0xFC00.
    QString fileOfUnit() {
        const auto& program = unit.state().firmware.program;
        const QString path = dir.filePath(QStringLiteral("unit.hex"));
        test::WriteText(path.toStdString(), test::HexTextOf(Bytes(program.begin(), program.begin() + 0x4000), 0));
        return path;
    }
    void start(const QString& path) {
        QString text;
        ASSERT_TRUE(fia.Start(path, QStringLiteral("8.12"), &text)) << text.toStdString();
    }
};

} // namespace

TEST(FiaCompare, AgainstTheSimulatedUnit) {
    struct Case {
        const char* what;
        int flip; // program byte changed in the unit, -1 none
        FiaCompare::Result result;
        QString last;
        long long requests;
    };
    const Case cases[] = {
        {"identical", -1, FiaCompare::Result::Identical, fia_text::kIdentical, 4032},
        {"byte 5 of the block at 0x1230", 0x1235, FiaCompare::Result::Mismatch, fia_text::kMismatch + "1235",
         0x1230 / 16 + 1},
        {"erased area must read 0xFF", 0xFBFF, FiaCompare::Result::Mismatch, fia_text::kMismatch + "FBFF", 4032},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimLoop loop;
        const QString path = loop.fileOfUnit();
        if (c.flip >= 0) loop.unit.state().firmware.program[static_cast<std::size_t>(c.flip)] ^= 0x01;
        loop.start(path);
        loop.pump();
        ASSERT_EQ(loop.ends.size(), 1u);
        EXPECT_EQ(loop.ends[0], c.result);
        EXPECT_EQ(loop.fia.requestsSent(), c.requests);
        EXPECT_EQ(loop.status.value(4), QStringLiteral("Voltmast serial no : 00001234"));
        EXPECT_EQ(loop.status.value(0), fia_text::kRule);
        EXPECT_EQ(loop.status.value(2), QStringLiteral("Comparing file : ") + path);
        EXPECT_EQ(loop.status.value(3), QStringLiteral("With firmware version :8.12"));
        EXPECT_EQ(loop.status.value(loop.status.size() - 2), c.last);
        EXPECT_EQ(loop.status.last(), fia_text::kRule);
        EXPECT_EQ(loop.target.size(), c.requests);
        EXPECT_EQ(loop.target.value(0), FiaCompare::BlockLine(0, loop.unit.state().firmware.program.data()));
        EXPECT_TRUE(loop.file.value(0).startsWith(QStringLiteral("Adr:0000 : ")));
        if (c.result == FiaCompare::Result::Identical) EXPECT_EQ(loop.fia.percent(), 100);
    }
}

TEST(FiaCompare, PercentFollowsThePartsRule) {
    SimLoop loop;
    std::vector<int> percents;
    QObject::connect(&loop.fia, &FiaCompare::progressChanged, [&](int p) { percents.push_back(p); });
    loop.start(loop.fileOfUnit());
    loop.pump(2); // serial number, block 0x0000
    EXPECT_EQ(loop.fia.compareAddress(), 16u);
    EXPECT_EQ(loop.fia.percent(), 0);
    loop.pump(0x0280 / 16);
    EXPECT_EQ(loop.fia.compareAddress(), 656u);
    EXPECT_EQ(loop.fia.percent(), 1);
    EXPECT_EQ(FiaCompare::BlockLine(0x1230, Bytes(16, 0xAB).data()),
              QStringLiteral("Adr:1230 : AB:AB:AB:AB:AB:AB:AB:AB:AB:AB:AB:AB:AB:AB:AB:AB:"));
}

TEST(FiaCompare, NoContactCancelAndRefusedReplies) {
    SimLoop loop;
    const QString path = loop.fileOfUnit();
    // Silent unit: five repeats at 300 ms, then "No contact"; a new compare gets its five again.
    loop.unit.setSilent(true);
    for (int round = 0; round < 2; ++round) {
        loop.start(path);
        EXPECT_EQ(loop.fia.requestTimer().interval(), 300);
        for (int timeout = 1; timeout <= 5; ++timeout) {
            loop.fia.TimerRequestTimer();
            EXPECT_TRUE(loop.fia.running()) << round << " " << timeout;
        }
        loop.fia.TimerRequestTimer();
        EXPECT_EQ(loop.fia.result(), FiaCompare::Result::NoContact);
        EXPECT_EQ(loop.fia.requestsSent(), 6 * (round + 1));
        EXPECT_EQ(loop.status.last(), fia_text::kNoContact);
        EXPECT_FALSE(loop.fia.requestTimer().isActive());
    }
    loop.toUnit.clear();
    loop.unit.setSilent(false);

    // A reply that comes after Cancel is not compared.
    loop.start(path);
    loop.fia.Cancel();
    EXPECT_EQ(loop.status.mid(loop.status.size() - 2), (QStringList{fia_text::kUserCancel, fia_text::kRule}));
    const int targets = static_cast<int>(loop.target.size());
    loop.pump();
    EXPECT_EQ(loop.target.size(), targets);
    EXPECT_EQ(loop.fia.result(), FiaCompare::Result::Cancelled);

    // Short replies and replies for another block are refused; the request stays out.
    loop.start(path);
    loop.toUnit.clear();
    const std::uint8_t late[18] = {0x10, 0x00};
    const std::uint8_t shortReply[4] = {0x00, 0x00};
    loop.fia.ReceivePacket(LinkPacket::make(kGroupApp, msg::FIA_DATA, late, 18));
    loop.fia.ReceivePacket(LinkPacket::make(kGroupApp, msg::FIA_DATA, shortReply, 4));
    loop.fia.ReceivePacket(LinkPacket::make(kGroupApp, msg::SYSTEM_SETUP, shortReply, 2));
    EXPECT_EQ(loop.fia.repliesRefused(), 3);
    EXPECT_EQ(loop.fia.compareAddress(), 0u);
    EXPECT_TRUE(loop.fia.requestTimer().isActive());
    EXPECT_EQ(loop.target.size(), targets);

    QString text;
    EXPECT_FALSE(loop.fia.Start(QString(), "", &text));
    EXPECT_EQ(text, fia_text::kNoFile);
}
