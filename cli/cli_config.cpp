#include "cli/cli_config.h"

#include "cli/cli_link.h"
#include "cli/cli_session.h"
#include "config/block_layouts.h"
#include "config/config_file.h"
#include "protocol/message_catalogue.h"

#include <QFileInfo>
#include <ostream>

namespace vm::cli {

namespace {

constexpr int kNameAnswerMs = 1000;

// The read chain into the session's store; false (with the reason printed) when it did not complete.
bool ReadAll(CliSession& session, std::ostream& err) {
    if (!session.CheckVersion(err)) return false;
    ConfigTransfer& transfer = session.transfer();
    return session.Wait(
        [&](std::function<void()> done) {
            QObject::connect(&transfer, &ConfigTransfer::chainEnded, &transfer, done);
            transfer.StartRead();
        },
        err);
}

bool SaveTo(CliSession& session, const std::string& file, std::ostream& err) {
    QString error;
    if (SaveConfigFile(session.store(), ForceCfgExtension(QString::fromStdString(file)), &error)) return true;
    err << error.toStdString() << std::endl;
    return false;
}

} // namespace

int RunRead(CliLink& link, const std::string& file, std::ostream& out, std::ostream& err) {
    CliSession session(link);
    if (!ReadAll(session, err)) return 1;
    if (!SaveTo(session, file, err)) return 1;
    out << "name: " << session.store().boxName().toStdString() << std::endl;
    return 0;
}

int RunUpload(CliLink& link, const std::string& file, const std::optional<std::string>& name, bool reboot,
              std::ostream& out, std::ostream& err) {
    const QString path = ForceCfgExtension(QString::fromStdString(file));
    if (!QFileInfo(path).isFile()) {
        err << "cannot open " << path.toStdString() << ": no such file" << std::endl;
        return 1;
    }
    CliSession session(link);
    // A file carries no unit name: keep the unit's own unless one is given.
    if (name) {
        session.store().setBoxName(QString::fromStdString(*name).left(kNameChars));
    } else {
        bool answered = false;
        const auto connection = QObject::connect(&session.unit(), &UnitSession::configAnswer, &session.unit(),
                                                 [&](const LinkPacket& p) {
            if (p.command() == msg::BOX_NAME) answered = ApplyConfigBlock(session.store(), p);
        });
        session.unit().Send(ConfigReadRequest(msg::BOX_NAME_READ));
        if (!session.RunUntil([&] { return answered; }, kNameAnswerMs)) {
            err << "the unit did not tell its name; give one with --name" << std::endl;
            return 1;
        }
        QObject::disconnect(connection);
    }
    const QString unitName = session.store().boxName();
    LoadConfigFile(session.store(), path);
    session.store().setBoxName(unitName);

    if (!session.CheckVersion(err)) return 1;
    ConfigTransfer& transfer = session.transfer();
    bool packFailed = false;
    QObject::connect(&transfer, &ConfigTransfer::packFailed, &transfer, [&](const QString& text) {
        packFailed = true;
        err << text.toStdString() << std::endl;
    });
    const bool complete = session.Wait(
        [&](std::function<void()> done) {
            QObject::connect(&transfer, &ConfigTransfer::chainEnded, &transfer, done);
            transfer.StartUpload();
        },
        err);
    // As in the window: the reboot question comes even after a time-out.
    if (reboot) {
        session.unit().Send(LinkPacket::make(kGroupApp, msg::REBOOT_REQ));
        session.Drain();
    }
    if (!complete || packFailed) return 1;
    out << "uploaded " << path.toStdString() << " as " << unitName.toStdString() << std::endl;
    return 0;
}

int RunFactoryReset(CliLink& link, const std::optional<std::string>& file, std::ostream& out, std::ostream& err) {
    CliSession session(link);
    ConfigTransfer& transfer = session.transfer();
    const bool reset = session.Wait(
        [&](std::function<void()> done) {
            QObject::connect(&session.unit(), &UnitSession::factoryResetDone, &transfer, done);
            transfer.StartFactoryReset();
        },
        err);
    if (!reset) return 1;
    if (!ReadAll(session, err)) return 1;
    if (file && !SaveTo(session, *file, err)) return 1;
    out << "name: " << session.store().boxName().toStdString() << std::endl;
    return 0;
}

} // namespace vm::cli
