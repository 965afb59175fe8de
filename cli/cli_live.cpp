#include "cli/cli_live.h"

#include "cli/cli_link.h"
#include "cli/service_run.h"
#include "config/strict_number.h"
#include "link/usb_thread.h"
#include "protocol/message_catalogue.h"
#include "session/diagnostics_reader.h"
#include "session/manual_test.h"

#include <QElapsedTimer>
#include <algorithm>
#include <climits>
#include <memory>
#include <ostream>

namespace vm::cli {

namespace {

constexpr int kModeAnswerMs = 1000;
constexpr int kSwitchFollowMs = 2000;
constexpr int kStateAskMs = 100; // CHANNEL_STATE_REQ while waiting for the switch to show
constexpr int kDiagAnswerMs = 2000;
constexpr double kMaxMonitorSeconds = 86400;

// TEST_MODE_SET, confirmed by TEST_MODE_SET_DONE with the same mode.
bool SetMode(CliLink& link, ServiceRun& run, TestMode mode, std::ostream& err) {
    bool confirmed = false;
    link.onPacket = [&](const LinkPacket& p) {
        if (p.group() == kGroupApp && p.command() == msg::TEST_MODE_SET_DONE && p.payloadSize() >= 1 &&
            p.payload(0) == static_cast<std::uint8_t>(mode))
            confirmed = true;
    };
    run.unit().SetTestMode(mode);
    run.RunUntil([&] { return confirmed || Interrupted(); }, kModeAnswerMs);
    link.onPacket = nullptr;
    if (!confirmed && !Interrupted()) err << "the unit did not confirm the test mode" << std::endl;
    return confirmed;
}

struct SwitchArgs {
    int channel = 0;
    std::string state;
};

int RunSwitch(CliLink& link, const SwitchArgs& a, std::ostream& out, std::ostream& err) {
    const bool on = a.state == "on";
    ServiceRun run(link);
    // The unit cannot be asked for its mode; setting it again is harmless.
    if (!SetMode(link, run, TestMode::Manual, err)) return 1;
    std::optional<bool> reported;
    link.onPacket = [&](const LinkPacket& p) {
        if (p.group() == kGroupApp && p.command() == msg::CHANNEL_STATE && p.payloadSize() >= 2 &&
            p.payload(0) == a.channel)
            reported = p.payload(1) == kChannelOn;
    };
    run.unit().Send(ChannelSwitchPacket(a.channel, on));
    QElapsedTimer waited;
    waited.start();
    while (!Interrupted() && waited.elapsed() < kSwitchFollowMs) {
        reported.reset();
        const std::uint8_t which = static_cast<std::uint8_t>(a.channel);
        run.unit().Send(LinkPacket::make(kGroupApp, msg::CHANNEL_STATE_REQ, &which, 1));
        run.RunUntil([&] { return reported.has_value() || Interrupted(); },
                     static_cast<int>(std::min<qint64>(kStateAskMs, kSwitchFollowMs - waited.elapsed())));
        if (reported == on) break;
        run.RunUntil([] { return Interrupted(); },
                     static_cast<int>(std::max<qint64>(
                         0, std::min<qint64>(kStateAskMs, kSwitchFollowMs - waited.elapsed()))));
    }
    link.onPacket = nullptr;
    if (reported != on) {
        err << "channel " << a.channel << " did not switch " << a.state << std::endl;
        return 1;
    }
    out << "channel " << a.channel << ": " << (on ? "On" : "Off") << std::endl;
    return 0;
}

int RunAuto(CliLink& link, std::ostream& out, std::ostream& err) {
    ServiceRun run(link);
    if (!SetMode(link, run, TestMode::Auto, err)) return 1;
    out << "test mode: Auto" << std::endl;
    return 0;
}

int RunDiag(CliLink& link, bool clear, std::ostream& out, std::ostream& err) {
    ServiceRun run(link);
    DiagnosticsReader reader(run.unit());
    bool cleared = false, high = false, low = false;
    QObject::connect(&reader, &DiagnosticsReader::cleared, [&] { cleared = true; });
    QObject::connect(&reader, &DiagnosticsReader::highPowerChanged, [&](int) { high = true; });
    QObject::connect(&reader, &DiagnosticsReader::lowPowerChanged, [&](int) { low = true; });
    if (clear) {
        reader.Clear();
        // The session reads both tables again on DIAG_CLEARED.
        if (!run.RunUntil([&] { return cleared || Interrupted(); }, kDiagAnswerMs)) {
            if (!Interrupted()) err << "the unit did not confirm clearing its diagnostic log" << std::endl;
            return 1;
        }
        err << kDiagnosticClearedText << std::endl;
    } else {
        reader.Read();
    }
    // DIAG_NEXT goes out by itself after the high-power table.
    run.RunUntil([&] { return low || Interrupted(); }, kDiagAnswerMs * 2);
    if (!high || !low) {
        if (!Interrupted())
            err << (high ? "the unit did not send its low-power counters"
                         : "the unit did not send its counters")
                << std::endl;
        return 1;
    }
    const int channels = kHighPowerDiagRows + kLowPowerDiagRows;
    int missing = 0;
    for (int ch = 1; ch <= channels; ++ch) {
        const QString line = DiagLine(reader.table(), ch);
        if (line.isEmpty())
            ++missing;
        else
            out << line.toStdString() << '\n';
    }
    out << std::flush;
    if (missing > 0) {
        err << "the unit's answers left out " << missing << " channels" << std::endl;
        return 1;
    }
    return 0;
}

int RunCanMonitor(CliLink& link, double seconds, std::ostream& out, std::ostream& err) {
    ServiceRun run(link);
    long long lines = 0;
    link.onPacket = [&](const LinkPacket& p) {
        if (p.group() != kGroupApp || p.command() != msg::CAN_MONITOR_FRAME) return;
        out << CanMonitorLine(p).toStdString() << '\n';
        if (++lines % 64 == 0) out << std::flush;
    };
    run.unit().Send(CanMonitorSetPacket(true));
    run.RunUntil([] { return Interrupted(); }, seconds < 0 ? INT_MAX : static_cast<int>(seconds * 1000));
    // Off again however the run ended; the wait does not need the event loop.
    run.unit().Send(CanMonitorSetPacket(false));
    link.link().WaitForQueuedFrames(500);
    link.onPacket = nullptr;
    out << std::flush;
    err << lines << " frames" << std::endl;
    return out ? 0 : 1;
}

CLI::Validator SecondsCheck() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const auto value = number::ParseDecimal(QString::fromStdString(text), 0.0, kMaxMonitorSeconds);
            return value ? std::string() : "--seconds takes a number of seconds from 0 to 86400, not " + text;
        },
        "0..86400");
}

} // namespace

std::vector<AddedCommand> AddLiveCommands(CLI::App& app) {
    std::vector<AddedCommand> added;

    auto sw = std::make_shared<SwitchArgs>();
    CLI::App* switchCmd = app.add_subcommand("switch", "Switch one output in manual test");
    switchCmd->add_option("CHANNEL", sw->channel, "Output 1..34")->required()->check(CLI::Range(1, 34));
    switchCmd->add_option("STATE", sw->state, "on or off")->required()->check(CLI::IsMember({"on", "off"}));
    switchCmd->footer("Puts the unit in manual test first; it stays there (see auto).\n"
                      "Example: voltmast-cli --port /dev/ttyUSB0 switch 5 on");
    added.push_back({switchCmd, [sw](CliLink& link, std::ostream& out, std::ostream& err) {
                         return RunSwitch(link, *sw, out, err);
                     }});

    CLI::App* autoCmd = app.add_subcommand("auto", "Return the unit from manual test to automatic mode");
    autoCmd->footer("Example: voltmast-cli --port /dev/ttyUSB0 auto");
    added.push_back({autoCmd, [](CliLink& link, std::ostream& out, std::ostream& err) {
                         return RunAuto(link, out, err);
                     }});

    auto clear = std::make_shared<bool>(false);
    CLI::App* diag = app.add_subcommand("diag", "Print the unit's fault counters of every channel");
    diag->add_flag("--clear", *clear, "Clear the counters first");
    diag->footer(
        "Prints channel N: short S, trip T, trip level L A, low current C for 1..18, channel N: short S for"
        " 19..34.\nExample: voltmast-cli --port /dev/ttyUSB0 diag --clear");
    added.push_back({diag, [clear](CliLink& link, std::ostream& out, std::ostream& err) {
                         return RunDiag(link, *clear, out, err);
                     }});

    auto seconds = std::make_shared<double>(-1);
    CLI::App* monitor = app.add_subcommand("can-monitor", "Print the CAN frames the unit sees");
    monitor->add_option("--seconds", *seconds, "Stop after this many seconds (default: until Ctrl+C)")
        ->check(SecondsCheck());
    monitor->footer("The unit's monitor is switched off at the end, also on Ctrl+C.\n"
                    "Example: voltmast-cli --port /dev/ttyUSB0 can-monitor --seconds 10");
    added.push_back({monitor, [seconds](CliLink& link, std::ostream& out, std::ostream& err) {
                         return RunCanMonitor(link, *seconds, out, err);
                     }});
    return added;
}

} // namespace vm::cli
