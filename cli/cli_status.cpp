#include "cli/cli_status.h"

#include "session/unit_session.h"
#include "cli/cli_link.h"
#include "cli/cli_session.h"

#include <ostream>
#include <set>

namespace vm::cli {

namespace {

constexpr int kRoundTimeoutMs = 3000; // after the version check

void PrintStatus(const UnitSession& unit, LiveStatus& live, std::ostream& out) {
    out << "version: " << unit.stats().version.toStdString() << '\n';
    out << "current: " << live.currentSum().toStdString() << '\n';
    out << "battery: " << live.batteryVoltage().toStdString() << '\n';
    out << "temperature: " << live.temperatureValue() << " C\n";
    out << "errors: " << live.errors().toStdString() << '\n';
    for (int n = 1; n <= LiveStatus::kChannels; ++n) {
        const ChannelView& c = live.channel(n);
        out << "channel " << n << ": " << c.buttonText.toStdString() << ' '
            << (n <= LiveStatus::kHighPowerChannels ? c.stateText.toStdString() : std::string("-")) << '\n';
    }
    for (int n = 1; n <= LiveStatus::kInputs; ++n)
        out << "input " << n << ": " << LiveStatus::LampText(live.input(n)).toStdString() << '\n';
    for (int n = 1; n <= LiveStatus::kCanInputs; ++n)
        out << "can input " << n << ": " << LiveStatus::LampText(live.canInput(n)).toStdString() << '\n';
    out.flush();
}

} // namespace

int RunStatus(CliLink& link, std::ostream& out, std::ostream& err) {
    CliSession session(link, err);
    UnitSession& unit = session.unit();
    bool values = false, inputs = false;
    std::set<int> channels;
    QObject::connect(&unit.live(), &LiveStatus::valuesChanged, [&] { values = true; });
    QObject::connect(&unit.live(), &LiveStatus::inputsChanged, [&] { inputs = true; });
    QObject::connect(&unit.live(), &LiveStatus::channelChanged, [&](int n) { channels.insert(n); });

    if (!session.workflow().CheckVersion()) return 1;
    auto complete = [&] { return values && inputs && channels.size() == LiveStatus::kChannels; };
    if (!session.RunUntil(complete, kRoundTimeoutMs)) {
        err << "no complete live status from the unit within " << kRoundTimeoutMs << " ms" << std::endl;
        return 1;
    }
    PrintStatus(unit, unit.live(), out);
    return 0;
}

} // namespace vm::cli
