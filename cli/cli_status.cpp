#include "cli/cli_status.h"

#include "app/unit_session.h"
#include "cli/cli_link.h"
#include "link/usb_thread.h"
#include "tools/version_check.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
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
    UnitSession unit(link.link(), nullptr);
    unit.state().connected = 1;
    QObject::connect(&link.link(), &UsbThread::bytesReceived, &unit, &UnitSession::PutBytes);

    bool values = false, inputs = false;
    std::set<int> channels;
    QObject::connect(&unit.live(), &LiveStatus::valuesChanged, [&] { values = true; });
    QObject::connect(&unit.live(), &LiveStatus::inputsChanged, [&] { inputs = true; });
    QObject::connect(&unit.live(), &LiveStatus::channelChanged, [&](int n) { channels.insert(n); });

    QTimer poll, keepAlive, deadline;
    poll.setInterval(UnitSession::kPollMs);
    keepAlive.setInterval(UnitSession::kKeepAliveMs);
    QObject::connect(&poll, &QTimer::timeout, &unit, &UnitSession::PollTick);
    QObject::connect(&keepAlive, &QTimer::timeout, &unit, &UnitSession::KeepAliveTick);
    poll.start();
    keepAlive.start();
    unit.KeepAliveTick(); // ask for the version at once

    // The version gate, as before every transfer.
    VersionCheck check;
    {
        Publication publication(unit.services(), ServiceSlot::Version, &check);
        QEventLoop wait;
        QObject::connect(&check, &VersionCheck::finished, &wait, &QEventLoop::quit);
        check.FormCreate();
        wait.exec();
    }
    const QString verdict = VerdictMessage(check.verdict());
    if (!verdict.isEmpty()) {
        err << verdict.toStdString() << std::endl;
        return 1;
    }

    QEventLoop wait;
    auto complete = [&] { return values && inputs && channels.size() == LiveStatus::kChannels; };
    auto checkDone = [&] {
        if (complete()) wait.quit();
    };
    QObject::connect(&unit.live(), &LiveStatus::valuesChanged, &wait, checkDone);
    QObject::connect(&unit.live(), &LiveStatus::inputsChanged, &wait, checkDone);
    QObject::connect(&unit.live(), &LiveStatus::channelChanged, &wait, checkDone);
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &wait, &QEventLoop::quit);
    deadline.start(kRoundTimeoutMs);
    if (!complete()) wait.exec();
    if (!complete()) {
        err << "no complete live status from the unit within " << kRoundTimeoutMs << " ms" << std::endl;
        return 1;
    }
    PrintStatus(unit, unit.live(), out);
    return 0;
}

} // namespace vm::cli
