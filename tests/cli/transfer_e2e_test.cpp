// The configuration commands against simulated units over pseudo-terminals.
#include "cli/cli_config.h"
#include "cli/cli_link.h"
#include "protocol/message_catalogue.h"
#include "sim/sim_pty.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>

using namespace vm;
using namespace vm::cli;

namespace {

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "transfer_e2e";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// An unpaced simulated unit on a pseudo-terminal, and the target that opens it.
// Declare it before the CliLink so that the link closes first.
struct PtyUnit {
    explicit PtyUnit(std::uint32_t seed) : sim(Options(seed)) {
        EXPECT_TRUE(sim.start());
        target.port = sim.path();
    }
    static sim::SimOptions Options(std::uint32_t seed) {
        sim::SimOptions o;
        o.paced = false;
        o.configSeed = seed;
        return o;
    }
    sim::SimPty sim;
    Target target;
};

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(TransferEndToEnd, UploadedRandomConfigurationReadsBackIdentical) {
    app();
    QTemporaryDir dir;
    const QString original = dir.filePath("original.cfg");
    const QString readBack = dir.filePath("back.cfg");
    std::ostringstream out, err;
    PtyUnit seededUnit(7), factoryUnit(0);
    {
        CliLink seeded;
        ASSERT_TRUE(seeded.open(seededUnit.target, nullptr));
        ASSERT_EQ(RunRead(seeded, original.toStdString(), out, err), 0) << err.str();
    }
    CliLink factory;
    ASSERT_TRUE(factory.open(factoryUnit.target, nullptr));
    ASSERT_EQ(RunRead(factory, readBack.toStdString(), out, err), 0) << err.str();
    ASSERT_NE(Contents(original), Contents(readBack)); // the two units differ to begin with

    ASSERT_EQ(RunUpload(factory, original.toStdString(), std::string("Copy"), false, out, err), 0) << err.str();
    ASSERT_EQ(RunRead(factory, readBack.toStdString(), out, err), 0) << err.str();
    EXPECT_EQ(Contents(original), Contents(readBack));
    EXPECT_NE(out.str().find("name: Copy"), std::string::npos) << out.str();
}

TEST(TransferEndToEnd, UploadKeepsTheUnitsNameWithoutNameOption) {
    app();
    QTemporaryDir dir;
    const QString file = dir.filePath("unit.cfg");
    std::ostringstream out, err;
    PtyUnit sim(3);
    CliLink unit;
    ASSERT_TRUE(unit.open(sim.target, nullptr));
    ASSERT_EQ(RunRead(unit, file.toStdString(), out, err), 0) << err.str();
    const std::string name = out.str();
    out.str({});
    ASSERT_EQ(RunUpload(unit, file.toStdString(), std::nullopt, false, out, err), 0) << err.str();
    ASSERT_EQ(RunRead(unit, file.toStdString(), out, err), 0) << err.str();
    EXPECT_EQ(out.str().substr(out.str().find("name: ")), name);
}

TEST(TransferEndToEnd, FactoryResetThenReadSavesTheDefaults) {
    app();
    QTemporaryDir dir;
    std::ostringstream out, err;
    PtyUnit seededUnit(11), factoryUnit(0);
    CliLink seeded, factory;
    ASSERT_TRUE(seeded.open(seededUnit.target, nullptr));
    ASSERT_TRUE(factory.open(factoryUnit.target, nullptr));
    const QString afterReset = dir.filePath("reset.cfg"), defaults = dir.filePath("defaults.cfg");
    ASSERT_EQ(RunFactoryReset(seeded, afterReset.toStdString(), out, err), 0) << err.str();
    ASSERT_EQ(RunRead(factory, defaults.toStdString(), out, err), 0) << err.str();
    EXPECT_EQ(Contents(afterReset), Contents(defaults));
}

// The cable out for a moment at a quarter, half and three quarters of an
// upload: the upload goes on from the block the unit did not answer, and the
// unit then holds exactly the file.
TEST(TransferEndToEnd, UploadResumesAfterTheCableWasOut) {
    app();
    QTemporaryDir dir;
    const QString wanted = dir.filePath("wanted.cfg");
    const QString readBack = dir.filePath("back.cfg");
    std::ostringstream out, err;
    {
        PtyUnit source(21);
        CliLink link;
        ASSERT_TRUE(link.open(source.target, nullptr));
        ASSERT_EQ(RunRead(link, wanted.toStdString(), out, err), 0) << err.str();
    }
    for (int outageAt : {26, 53, 80}) {
        PtyUnit unit(0);
        CliLink link;
        ASSERT_TRUE(link.open(unit.target, nullptr));
        int acks = 0;
        link.onPacket = [&](const LinkPacket& p) {
            const bool ack = p.command() == msg::INPUT_CFG_WRITE_DONE || p.command() == msg::OUTPUT_CFG_WRITE_DONE ||
                             p.command() == msg::CAN_RULE_WRITE_DONE || p.command() == msg::FLASH_WRITE_DONE ||
                             p.command() == msg::VIRTUAL_INPUT_WRITE_DONE || p.command() == msg::PWM_CFG_WRITE_DONE;
            if (ack && ++acks == outageAt) unit.sim.disconnectFor(400);
        };
        std::ostringstream upErr;
        ASSERT_EQ(RunUpload(link, wanted.toStdString(), std::nullopt, false, out, upErr), 0)
            << "outage at " << outageAt << ": " << upErr.str();
        EXPECT_NE(upErr.str().find("the upload goes on"), std::string::npos) << upErr.str();
        link.onPacket = nullptr;
        ASSERT_EQ(RunRead(link, readBack.toStdString(), out, err), 0) << err.str();
        EXPECT_EQ(Contents(wanted), Contents(readBack)) << "outage at " << outageAt;
    }
}
