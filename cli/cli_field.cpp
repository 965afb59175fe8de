#include "cli/cli_field.h"

#include "cli/cli_link.h"
#include "cli/cli_session.h"
#include "config/config_diff.h"
#include "config/config_file.h"
#include "config/dbc_export.h"
#include "config/strict_number.h"
#include "protocol/message_catalogue.h"
#include "session/live_record.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <fstream>
#include <memory>
#include <ostream>

namespace vm::cli {

namespace {

constexpr double kMaxLogSeconds = 86400;

// A .cfg file checked whole; false (with the message) when refused.
bool LoadChecked(const std::string& file, ConfigStore& into, std::ostream& err) {
    const QString given = QString::fromStdString(file);
    const QString path = QFileInfo(given).isFile() ? given : ForceCfgExtension(given);
    const ConfigFileReport report = ReadConfigFile(into, path);
    if (!report.ok) err << report.error.toStdString() << std::endl;
    return report.ok;
}

int PrintDifferences(const ConfigComparison& c, std::ostream& out, std::ostream& err) {
    if (!c.ok) {
        err << c.error.toStdString() << std::endl;
        return 2;
    }
    for (const ConfigDifference& d : c.differences)
        out << DifferenceLine(d).toStdString() << '\n';
    out << std::flush;
    return c.differences.empty() ? 0 : 1;
}

bool IsDirectoryName(const std::string& path) {
    const QString p = QString::fromStdString(path);
    return p.endsWith(QLatin1Char('/')) || p.endsWith(QLatin1Char('\\')) || QFileInfo(p).isDir();
}

CLI::Validator SecondsValidator() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const auto value = number::ParseDecimal(QString::fromStdString(text), 0.0, kMaxLogSeconds);
            return value ? std::string() : "--seconds takes a number of seconds from 0 to 86400, not " + text;
        },
        "0..86400");
}

struct LogOptions {
    double seconds = -1;
    std::string output;
};

int RunLog(CliLink& link, const LogOptions& o, std::ostream& out, std::ostream& err) {
    if (!o.output.empty() && IsDirectoryName(o.output)) {
        err << o.output << ": is a directory, not a file name" << std::endl;
        return 2;
    }
    CliSession session(link, err);
    // The names for the header come from the unit's own configuration.
    if (!session.workflow().Read()) return 1;
    QStringList names;
    for (int ch = 1; ch <= LiveStatus::kHighPowerChannels; ++ch)
        names << session.store().output(ch).name;

    std::unique_ptr<std::ofstream> file;
    if (!o.output.empty()) {
        file = std::make_unique<std::ofstream>(o.output, std::ios::out | std::ios::trunc);
        if (!*file) {
            err << o.output << ": cannot be written" << std::endl;
            return 1;
        }
    }
    std::ostream& csv = file ? *file : out;
    csv << CsvHeader(names).toStdString() << '\n' << std::flush;
    long long rows = 0;
    LiveStatus& live = session.unit().live();
    QObject::connect(&live, &LiveStatus::valuesChanged, &live, [&] {
        csv << CsvRow(SampleOf(live, QDateTime::currentDateTime())).toStdString() << '\n' << std::flush;
        ++rows;
    });
    // Ctrl+C ends the wait as well; the rows so far are kept.
    session.RunUntil([] { return Interrupted(); },
                     o.seconds < 0 ? INT_MAX : static_cast<int>(o.seconds * 1000));
    if (!csv) {
        err << (o.output.empty() ? std::string("standard output") : o.output) << ": write failed"
            << std::endl;
        return 1;
    }
    if (rows == 0) {
        err << "the unit sent no live values" << std::endl;
        return 1;
    }
    return 0;
}

} // namespace

std::vector<OfflineCommand> AddOfflineCommands(CLI::App& app) {
    std::vector<OfflineCommand> added;

    auto files = std::make_shared<std::array<std::string, 2>>();
    CLI::App* diff = app.add_subcommand("diff", "Compare two .cfg files by what an upload would send");
    diff->add_option("A", (*files)[0], "First configuration file")->required();
    diff->add_option("B", (*files)[1], "Second configuration file")->required();
    diff->footer(
        "Prints Section.Key: A -> B per differing value. Exit 0 equal, 1 different, 2 a file refused.\n"
        "Example: voltmast-cli diff truck12.cfg reference.cfg");
    added.push_back({diff, [files](std::ostream& out, std::ostream& err) {
                         ConfigStore a, b;
                         if (!LoadChecked((*files)[0], a, err) || !LoadChecked((*files)[1], b, err)) return 2;
                         return PrintDifferences(CompareConfigs(a, b), out, err);
                     }});

    auto dbcFiles = std::make_shared<std::array<std::string, 2>>();
    CLI::App* dbc =
        app.add_subcommand("dbc", "Write the CAN export messages of a .cfg file as a CAN database");
    dbc->add_option("FILE", (*dbcFiles)[0], "Configuration file")->required();
    dbc->add_option("-o,--output", (*dbcFiles)[1], "CAN database (.dbc) to write")->required();
    dbc->footer("Example: voltmast-cli dbc truck12.cfg -o truck12.dbc");
    added.push_back({dbc, [dbcFiles](std::ostream& out, std::ostream& err) {
                         ConfigStore store;
                         if (!LoadChecked((*dbcFiles)[0], store, err)) return 2;
                         const std::string& target = (*dbcFiles)[1];
                         if (IsDirectoryName(target)) {
                             err << target << ": is a directory, not a file name" << std::endl;
                             return 2;
                         }
                         const DbcResult result = ExportDbc(store);
                         if (!result.ok) {
                             err << result.error.toStdString() << std::endl;
                             return 2;
                         }
                         QSaveFile file(QString::fromStdString(target));
                         if (!file.open(QIODevice::WriteOnly) || file.write(result.text.toUtf8()) < 0 ||
                             !file.commit()) {
                             err << target << ": " << file.errorString().toStdString() << std::endl;
                             return 1;
                         }
                         out << "wrote " << target << std::endl;
                         return 0;
                     }});
    return added;
}

std::vector<AddedCommand> AddFieldCommands(CLI::App& app) {
    std::vector<AddedCommand> added;

    auto checkFile = std::make_shared<std::string>();
    CLI::App* check =
        app.add_subcommand("check", "Read the unit's configuration and compare it with a .cfg file");
    check->add_option("FILE", *checkFile, "Reference configuration file")->required();
    check->footer(
        "Prints Section.Key: unit -> file per differing value (the unit name is left out).\n"
        "Exit 0 the unit holds the file's configuration, 1 it differs or failed, 2 the file is refused.\n"
        "Example: voltmast-cli --port /dev/ttyUSB0 check reference.cfg");
    added.push_back({check, [checkFile](CliLink& link, std::ostream& out, std::ostream& err) {
                         ConfigStore reference;
                         if (!LoadChecked(*checkFile, reference, err)) return 2;
                         CliSession session(link, err);
                         if (!session.workflow().Read()) return 1;
                         const int rc =
                             PrintDifferences(CompareConfigs(session.store(), reference), out, err);
                         return rc == 2 ? 1 : rc; // the unit's own values that cannot be written
                     }});

    auto log = std::make_shared<LogOptions>();
    CLI::App* logCmd = app.add_subcommand("log", "Write the live values as CSV, one row per poll");
    logCmd->add_option("--seconds", log->seconds, "Stop after this many seconds (default: until Ctrl+C)")
        ->check(SecondsValidator());
    logCmd->add_option("-o,--output", log->output, "CSV file to write (default: standard output)");
    logCmd->footer("Example: voltmast-cli --port /dev/ttyUSB0 log --seconds 600 -o roadtest.csv");
    added.push_back({logCmd, [log](CliLink& link, std::ostream& out, std::ostream& err) {
                         return RunLog(link, *log, out, err);
                     }});
    return added;
}

} // namespace vm::cli
