// voltmast-cli: the tool's link and commands without windows, for scripts and
// production lines.
#include "cli/cli_config.h"
#include "cli/cli_field.h"
#include "cli/cli_link.h"
#include "cli/cli_live.h"
#include "cli/cli_status.h"
#include "cli/packet_text.h"
#include "cli/service_commands.h"
#include "config/strict_number.h"
#include "link/usb_thread.h"
#include "session/config_workflow.h"

#include <CLI/CLI.hpp>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <iostream>
#include <optional>
#include <unistd.h>

using namespace vm;
using namespace vm::cli;

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &c, 1);
}

// Ends the event loop cleanly on Ctrl+C so a simulated unit leaves nothing behind.
void quitOnSignals(QCoreApplication& app) {
    if (::pipe(signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        NoteInterrupt();
        QCoreApplication::exit(130);
    });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

constexpr double kMaxMonitorSeconds = 86400;

int runFor(int ms) {
    // A precise timer: a coarse one may end a long monitor run seconds late.
    if (ms >= 0) QTimer::singleShot(ms, Qt::PreciseTimer, [] { QCoreApplication::exit(0); });
    return QCoreApplication::exec();
}

// The first word that is neither an option nor an option's value, when it
// names no command ("voltmast-cli bogus").
std::optional<std::string> UnknownCommand(CLI::App& cli, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--port" || arg == "--device") {
            ++i;
            continue;
        }
        if (arg.empty() || arg[0] == '-') continue;
        for (const CLI::App* sub : cli.get_subcommands([](CLI::App*) { return true; }))
            if (sub->get_name() == arg) return std::nullopt;
        return arg;
    }
    return std::nullopt;
}

// A destructive command asks as the window does when a person is at the
// terminal; a script must say --yes.
bool ConfirmOnTerminal(const char* question) {
    if (!::isatty(STDIN_FILENO)) {
        std::cerr << question << " Not confirmed: give --yes to run without a terminal" << std::endl;
        return false;
    }
    std::cerr << question << " [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

// An output file that cannot be one: a directory, or a name ending in a separator.
bool RefuseOutputPath(const std::string& path) {
    const QString p = QString::fromStdString(path);
    if (!p.endsWith(QLatin1Char('/')) && !p.endsWith(QLatin1Char('\\')) && !QFileInfo(p).isDir())
        return false;
    std::cerr << path << ": is a directory, not a file name" << std::endl;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    quitOnSignals(app);

    CLI::App cli{"Voltmast Tool command line"};
    cli.require_subcommand(1);
    cli.set_version_flag("--version", std::string("voltmast-cli ") + VOLTMAST_VERSION);
    cli.footer(
        "Each command has its own --help with an example.\nExample: voltmast-cli --port /dev/ttyUSB0 status");
    Target target;
    auto* portOpt = cli.add_option("--port", target.port, "Serial device node to use");
    auto* deviceOpt = cli.add_option("--device", target.description, "Adapter to use, by its description");
    auto* simOpt = cli.add_flag("--sim", target.sim, "Start a simulated unit and use it");
    portOpt->excludes(deviceOpt)->excludes(simOpt);
    deviceOpt->excludes(simOpt);

    auto* list = cli.add_subcommand("list", "List the attached adapters by description");
    list->footer("Example: voltmast-cli list");

    int group = 0, command = 0, waitMs = 500;
    std::vector<std::string> byteTexts;
    auto* send = cli.add_subcommand("send", "Send one packet and print what comes back");
    send->add_option("GROUP", group, "Command group (0 or 1)")->required()->check(CLI::Range(0, 255));
    send->add_option("COMMAND", command, "Command code")->required()->check(CLI::Range(0, 255));
    send->add_option("BYTE", byteTexts, "Payload bytes, decimal or 0x hex");
    send->add_option("--wait", waitMs, "Milliseconds to listen for answers")->check(CLI::Range(0, 3600000));
    send->footer("Example: voltmast-cli --port /dev/ttyUSB0 send 0 48 1 2 3   (a ping with three bytes)");

    auto* status = cli.add_subcommand("status", "Check the unit's version and print its live state");
    status->footer("Example: voltmast-cli --port /dev/ttyUSB0 status");

    std::string readFile;
    auto* read = cli.add_subcommand("read", "Read the whole configuration and save it as a .cfg file");
    read->add_option("-o,--output", readFile, "Configuration file to write")->required();
    read->footer("Example: voltmast-cli --port /dev/ttyUSB0 read -o truck12.cfg");

    std::string uploadFile, uploadName;
    bool reboot = false;
    auto* upload = cli.add_subcommand("upload", "Upload a .cfg file to the unit");
    upload->add_option("FILE", uploadFile, "Configuration file")->required();
    auto* nameOpt = upload->add_option("--name", uploadName, "Unit name to send (default: the unit's own)");
    upload->add_flag("--reboot", reboot, "Reboot the unit afterwards to use the new settings");
    upload->footer(
        "Example: voltmast-cli --port /dev/ttyUSB0 upload truck12.cfg --name \"TRUCK 12\" --reboot");

    std::string resetFile;
    auto* reset = cli.add_subcommand("factory-reset", "Reset the unit to factory settings, then read them");
    auto* resetOpt =
        reset->add_option("-o,--output", resetFile, "Save the factory configuration to this file");
    bool resetYes = false;
    reset->add_flag("--yes", resetYes, "Answer Yes to \"This will reset the Voltmast to factory settings?\"");
    reset->footer("Example: voltmast-cli --port /dev/ttyUSB0 factory-reset --yes -o factory.cfg");

    double seconds = -1;
    auto* monitor = cli.add_subcommand("monitor", "Print every packet that arrives");
    monitor->add_option("--seconds", seconds, "Stop after this many seconds (up to a day)")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                const auto value =
                    number::ParseDecimal(QString::fromStdString(text), 0.0, kMaxMonitorSeconds);
                return value ? std::string()
                             : "--seconds takes a number of seconds from 0 to 86400, not " + text;
            },
            "0..86400"));
    monitor->footer("Example: voltmast-cli --port /dev/ttyUSB0 monitor --seconds 10");

    const std::vector<AddedCommand> services = AddServiceCommands(cli);
    const std::vector<OfflineCommand> offline = AddOfflineCommands(cli);
    const std::vector<AddedCommand> field = AddFieldCommands(cli);
    const std::vector<AddedCommand> live = AddLiveCommands(cli);

    try {
        cli.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return cli.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return cli.exit(e);
    } catch (const CLI::ParseError& e) {
        if (const auto unknown = UnknownCommand(cli, argc, argv)) {
            std::cerr << "unknown command '" << *unknown << "' (see --help)" << std::endl;
            return 2;
        }
        cli.exit(e);
        return 2;
    }
    if (*read && RefuseOutputPath(readFile)) return 2;
    if (*reset && !resetYes && !ConfirmOnTerminal(kFactoryResetQuestion)) return 2;
    if (*reset && *resetOpt && RefuseOutputPath(resetFile)) return 2;

    std::vector<std::uint8_t> payload;
    for (const std::string& t : byteTexts) {
        const auto b = ParseByte(t);
        if (!b) {
            std::cerr << "not a byte: " << t << " (use 0..255 or 0x00..0xFF)" << std::endl;
            return 2;
        }
        payload.push_back(*b);
    }
    if (payload.size() > 150) {
        std::cerr << "too many payload bytes (at most 150)" << std::endl;
        return 2;
    }

    for (const OfflineCommand& command : offline)
        if (*command.subcommand) return command.run(std::cout, std::cerr);

    CliLink link;
    std::string error;
    if (*list) {
        if (!link.prepare(target, &error)) {
            std::cerr << error << std::endl;
            return 1;
        }
        for (const QString& d : link.devices())
            std::cout << d.toStdString() << '\n';
        return 0;
    }
    if (!link.open(target, &error)) {
        std::cerr << error << std::endl;
        return 1;
    }
    for (const AddedCommand& service : services)
        if (*service.subcommand) return service.run(link, std::cout, std::cerr);
    for (const AddedCommand& command : field)
        if (*command.subcommand) return command.run(link, std::cout, std::cerr);
    for (const AddedCommand& command : live)
        if (*command.subcommand) return command.run(link, std::cout, std::cerr);
    if (*status) return RunStatus(link, std::cout, std::cerr);
    if (*read) return RunRead(link, readFile, std::cout, std::cerr);
    if (*upload)
        return RunUpload(link, uploadFile, *nameOpt ? std::optional<std::string>(uploadName) : std::nullopt,
                         reboot, std::cout, std::cerr);
    if (*reset)
        return RunFactoryReset(link, *resetOpt ? std::optional<std::string>(resetFile) : std::nullopt,
                               std::cout, std::cerr);

    link.onPacket = [](const LinkPacket& p) { std::cout << FormatPacket(p) << std::endl; };
    if (*send) {
        link.send(LinkPacket::make(static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(command),
                                   payload.data(), static_cast<int>(payload.size())));
        const int rc = runFor(waitMs);
        if (rc != 0) return rc;
        if (link.packetsReceived() == 0) {
            std::cerr << "no answer from the unit within " << waitMs << " ms" << std::endl;
            return 1;
        }
        return 0;
    }
    if (*monitor) {
        const int rc = runFor(seconds < 0 ? -1 : static_cast<int>(seconds * 1000));
        return rc == 130 ? 0 : rc;
    }
    return 2;
}
