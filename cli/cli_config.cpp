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

bool SaveTo(CliSession& session, const std::string& file) {
    return session.workflow().Save(QString::fromStdString(file)) == ConfigWorkflow::SaveResult::Saved;
}

// A file carries no unit name: asks the unit for its own, before any chain
// exists that could take the answer as one of its steps.
bool ReadUnitName(CliSession& session, std::ostream& err) {
    bool answered = false;
    const auto connection = QObject::connect(&session.unit(), &UnitSession::configAnswer, &session.unit(),
                                             [&](const LinkPacket& p) {
        if (p.command() == msg::BOX_NAME) answered = ApplyConfigBlock(session.store(), p);
    });
    session.unit().Send(ConfigReadRequest(msg::BOX_NAME_READ));
    const bool ok = session.RunUntil([&] { return answered; }, kNameAnswerMs);
    QObject::disconnect(connection);
    if (!ok) err << "the unit did not tell its name; give one with --name" << std::endl;
    return ok;
}

} // namespace

int RunRead(CliLink& link, const std::string& file, std::ostream& out, std::ostream& err) {
    CliSession session(link, err);
    if (!session.workflow().Read()) return 1;
    if (!SaveTo(session, file)) return 1;
    out << "name: " << session.store().boxName().toStdString() << std::endl;
    return 0;
}

int RunUpload(CliLink& link, const std::string& file, const std::optional<std::string>& name, bool reboot,
              std::ostream& out, std::ostream& err) {
    // The whole file is checked before anything goes to the unit.
    const QString given = QString::fromStdString(file);
    const QString path = QFileInfo(given).isFile() ? given : ForceCfgExtension(given);
    ConfigStore checked;
    const ConfigFileReport report = ReadConfigFile(checked, path);
    if (!report.ok) {
        err << report.error.toStdString() << std::endl;
        return report.exitCode;
    }
    for (const QString& key : report.missingKeys)
        err << path.toStdString() << ": " << key.toStdString() << " missing, its default is sent" << std::endl;

    CliSession session(link, err);
    if (name) session.store().setBoxName(QString::fromStdString(*name).left(kNameChars));
    else if (!ReadUnitName(session, err)) return 1;
    const QString unitName = session.store().boxName();
    const ConfigFileReport again = ReadConfigFile(session.store(), path); // keeps the name
    if (!again.ok) {
        err << again.error.toStdString() << std::endl; // changed since it was checked
        return again.exitCode;
    }

    session.prompt().answer(QString::fromLatin1(kRebootQuestion), reboot);
    const bool complete = session.workflow().Upload();
    if (reboot) session.Drain();
    if (!complete) return 1;
    out << "uploaded " << path.toStdString() << " as " << unitName.toStdString() << std::endl;
    return 0;
}

int RunFactoryReset(CliLink& link, const std::optional<std::string>& file, std::ostream& out, std::ostream& err) {
    CliSession session(link, err);
    // The command itself is the confirmation.
    session.prompt().answer(QString::fromLatin1(kFactoryResetQuestion), true);
    if (!session.workflow().FactoryReset()) return 1;
    if (file && !SaveTo(session, *file)) return 1;
    out << "name: " << session.store().boxName().toStdString() << std::endl;
    return 0;
}

} // namespace vm::cli
