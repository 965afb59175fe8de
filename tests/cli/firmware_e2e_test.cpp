// flash and verify end to end: the real serial link over pseudo-terminals,
// against the simulated unit and against a scripted bootloader.
#include "cli/cli_firmware.h"
#include "cli/cli_link.h"
#include "link/usb_thread.h"
#include "sim/sim_pty.h"
#include "tools/fia/fia_compare.h"
#include "tools/firmware/firmware_update.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <sstream>
#include <thread>

#include "tests/support/hex_text.h"
#include "tests/support/pty_peer.h"

using namespace vm;
using namespace vm::cli;
using Bytes = std::vector<std::uint8_t>;

namespace {

void app() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "firmware_e2e";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
}

Bytes RandomImage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes b(size);
    for (auto& x : b) x = static_cast<std::uint8_t>(random());
    return b;
}

// An unpaced simulated unit on a pseudo-terminal; declared before the CliLink
// so that the link closes first.
struct PtyUnit {
    PtyUnit() : sim(Options()) {
        app();
        EXPECT_TRUE(sim.start());
        target.port = sim.path();
    }
    static sim::SimOptions Options() {
        sim::SimOptions o;
        o.paced = false;
        return o;
    }
    Bytes program() {
        Bytes p;
        sim.inspectState([&](const sim::SimState& s) { p = s.firmware.program; });
        return p;
    }
    sim::SimPty sim;
    Target target;
};

// Standard error of the link itself ("USB DISCONNECTED") while it lives.
struct CapturedCerr {
    std::ostringstream text;
    std::streambuf* old = std::cerr.rdbuf(text.rdbuf());
    ~CapturedCerr() { std::cerr.rdbuf(old); }
};

} // namespace

TEST(FirmwareEndToEnd, FlashThenVerifyAGeneratedImage) {
    PtyUnit unit;
    QTemporaryDir dir;
    const Bytes image = RandomImage(16384, 15);
    const std::string fw = dir.filePath("fw.hex").toStdString(), other = dir.filePath("other.hex").toStdString();
    test::WriteText(fw, test::HexTextOf(image, 0));
    Bytes changed = image;
    changed[0x1235] ^= 0x40;
    test::WriteText(other, test::HexTextOf(changed, 0));

    CliLink link;
    ASSERT_TRUE(link.open(unit.target, nullptr));
    std::ostringstream out, err;
    ASSERT_EQ(RunFlash(link, fw, true, 5, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "Target updated\n");
    EXPECT_NE(err.str().find("100 %\n"), std::string::npos) << err.str();
    const Bytes program = unit.program();
    ASSERT_EQ(program.size(), 0x20000u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), program.begin()));
    EXPECT_EQ(program[image.size()], 0xFF);

    struct Case {
        std::string file;
        int rc;
        std::string last;
    };
    for (const Case& c : {Case{fw, 0, "FIA compare File is identical with firmware"},
                          Case{other, 1, "FIA compare Fail, File not the same in Adr: 1235"}}) {
        std::ostringstream vout, verr;
        EXPECT_EQ(RunVerify(link, c.file, vout, verr), c.rc) << verr.str();
        EXPECT_EQ(vout.str(), "Voltmast serial no : 00001234\n" + c.last + "\n");
    }
}

TEST(FirmwareEndToEnd, WithoutRebootWaitsForAPowerCycle) {
    PtyUnit unit;
    QTemporaryDir dir;
    const std::string fw = dir.filePath("fw.hex").toStdString();
    test::WriteText(fw, test::HexTextOf(RandomImage(600, 3), 0x300));
    CliLink link;
    ASSERT_TRUE(link.open(unit.target, nullptr));
    QTimer::singleShot(50, [&] {
        unit.sim.changeState([](sim::SimState& s) {
            s.reboot();
            s.firmware.bootloader.enter(s.clock());
        });
    });
    std::ostringstream out, err;
    EXPECT_EQ(RunFlash(link, fw, false, 5, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "Reboot target to start programming\nTarget updated\n");
}

TEST(FirmwareEndToEnd, RefusedFileSendsNothing) {
    app();
    QTemporaryDir dir;
    const std::string bad = dir.filePath("bad.hex").toStdString();
    test::WriteText(bad, ":0400100001020304E2\n:0400100001020304E3\n:00000001FF\n");
    PtyPeer peer;
    Target target;
    target.port = peer.path();
    CliLink link;
    ASSERT_TRUE(link.open(target, nullptr));
    for (int verify = 0; verify < 2; ++verify) {
        std::ostringstream out, err;
        const int rc = verify ? RunVerify(link, bad, out, err) : RunFlash(link, bad, true, 5, out, err);
        EXPECT_EQ(rc, 1);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str(), bad + ":2: Wrong checksum for HEX record! Line from file was: (:0400100001020304E3).\n");
    }
    EXPECT_TRUE(peer.read(200).empty());
}

// A bootloader played by the test on the far end of the terminal.
TEST(FirmwareEndToEnd, ScriptedBootloaderAbortsAndTheUpdateFails) {
    app();
    QTemporaryDir dir;
    const std::string fw = dir.filePath("fw.hex").toStdString();
    test::WriteText(fw, test::HexTextOf(RandomImage(0x200, 9), 0x012300));
    PtyPeer peer;
    Target target;
    target.port = peer.path();
    CliLink link;
    ASSERT_TRUE(link.open(target, nullptr));
    std::atomic<bool> stop{false};
    Bytes firstBlock;
    std::thread bootloader([&] {
        auto expect = [&](std::size_t n) {
            Bytes got;
            while (!stop && got.size() < n) {
                const Bytes more = peer.read(50, n - got.size());
                got.insert(got.end(), more.begin(), more.end());
            }
            return got;
        };
        expect(6); // the reboot request's frame
        peer.write({'>'});
        expect(1); // '<'
        peer.write({'T', '!'});
        firstBlock = expect(259);
        peer.write({'@'});
    });
    std::ostringstream out, err;
    EXPECT_EQ(RunFlash(link, fw, true, 5, out, err), 1);
    stop = true;
    bootloader.join();
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("Target aborted the update\n"), std::string::npos) << err.str();
    ASSERT_EQ(firstBlock.size(), 259u);
    EXPECT_EQ(firstBlock[0], 0x01);
    EXPECT_EQ(firstBlock[1], 0x23);
}

TEST(FirmwareEndToEnd, UnplugMidUpdateFails) {
    PtyUnit unit;
    QTemporaryDir dir;
    const std::string fw = dir.filePath("fw.hex").toStdString();
    test::WriteText(fw, test::HexTextOf(RandomImage(0x1F000, 5), 0));
    const Bytes before = unit.program();
    CliLink link;
    ASSERT_TRUE(link.open(unit.target, nullptr));
    int requests = 0;
    QObject::connect(&link.link(), &UsbThread::rawBytesReceived, [&](const QByteArray& bytes) {
        requests += static_cast<int>(bytes.count('!'));
        if (requests >= 10 && requests - static_cast<int>(bytes.count('!')) < 10) unit.sim.disconnectFor(300);
    });
    std::ostringstream out, err;
    int rc = 0;
    {
        CapturedCerr cerr;
        rc = RunFlash(link, fw, true, 5, out, err);
        EXPECT_NE(cerr.text.str().find("USB DISCONNECTED"), std::string::npos);
    }
    EXPECT_EQ(rc, 1) << err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(unit.program(), before); // nothing of a broken update was written
}
