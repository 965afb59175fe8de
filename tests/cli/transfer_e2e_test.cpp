// The configuration commands against simulated units over pseudo-terminals.
#include "cli/cli_config.h"
#include "cli/cli_link.h"

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

Target SimTarget(std::uint32_t seed) {
    Target t;
    t.sim = true;
    t.simOptions.paced = false;
    t.simOptions.configSeed = seed;
    return t;
}

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
    {
        CliLink seeded;
        ASSERT_TRUE(seeded.open(SimTarget(7), nullptr));
        ASSERT_EQ(RunRead(seeded, original.toStdString(), out, err), 0) << err.str();
    }
    CliLink factory;
    ASSERT_TRUE(factory.open(SimTarget(0), nullptr));
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
    CliLink unit;
    ASSERT_TRUE(unit.open(SimTarget(3), nullptr));
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
    CliLink seeded, factory;
    ASSERT_TRUE(seeded.open(SimTarget(11), nullptr));
    ASSERT_TRUE(factory.open(SimTarget(0), nullptr));
    const QString afterReset = dir.filePath("reset.cfg"), defaults = dir.filePath("defaults.cfg");
    ASSERT_EQ(RunFactoryReset(seeded, afterReset.toStdString(), out, err), 0) << err.str();
    ASSERT_EQ(RunRead(factory, defaults.toStdString(), out, err), 0) << err.str();
    EXPECT_EQ(Contents(afterReset), Contents(defaults));
}
