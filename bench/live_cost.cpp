// What live work costs: the window (offscreen) first not connected, then
// connected to a paced simulated unit on a pseudo-terminal (its own thread, so
// the tool's share stands apart) idle on the General page, then on the CAN
// Inputs page with the CAN monitor streaming as fast as the wire allows.
// Samples each thread's CPU time from /proc for --seconds per phase (default
// 20) and the delay of an event posted every 10 ms. Prints one table.
// Usage: bench_live_cost [--seconds N]
#include "app/main_window.h"
#include "link/device_directory.h"
#include "link/traffic_log.h"
#include "link/usb_thread.h"
#include "pages/can_monitor_box.h"
#include "session/can_monitor_control.h"
#include "sim/sim_pty.h"
#include "ui/qt_user_prompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vm;

namespace {

struct ThreadTimes {
    std::map<std::string, long long> ns;    // run time by thread name, summed over threads of one name
    std::map<std::string, long long> wakes; // voluntary context switches: how often it slept and woke
};

// The scheduler's run time of each thread (nanoseconds, not clock ticks).
ThreadTimes Sample() {
    ThreadTimes t;
    DIR* dir = opendir("/proc/self/task");
    if (!dir) return t;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        const std::string base = std::string("/proc/self/task/") + e->d_name;
        std::ifstream commFile(base + "/comm");
        std::string name;
        std::getline(commFile, name);
        if (std::atoi(e->d_name) == getpid()) name = "GUI (main)";
        std::ifstream schedFile(base + "/schedstat");
        long long runNs = 0;
        if (schedFile >> runNs) t.ns[name] += runNs;
        std::ifstream statusFile(base + "/status");
        for (std::string line; std::getline(statusFile, line);)
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                t.wakes[name] += std::atoll(line.c_str() + 24);
    }
    closedir(dir);
    return t;
}

struct Phase {
    std::map<std::string, double> percent; // of one core
    std::map<std::string, double> wakesPerSecond;
    double worstMs = 0;
    double p99Ms = 0;
};

// Runs the event loop for ms while measuring thread CPU and, when asked, the
// delay of an event posted every 10 ms (the probe costs CPU of its own).
Phase Measure(int ms, bool probeEvents) {
    std::vector<double> delays;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&delays] {
        QElapsedTimer posted;
        posted.start();
        QMetaObject::invokeMethod(
            qApp, [&delays, posted] { delays.push_back(posted.nsecsElapsed() / 1e6); }, Qt::QueuedConnection);
    });
    const ThreadTimes before = Sample();
    QElapsedTimer wall;
    wall.start();
    if (probeEvents) probe.start();
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    probe.stop();
    const double seconds = wall.nsecsElapsed() / 1e9;
    const ThreadTimes after = Sample();
    Phase p;
    for (const auto& [name, ns] : after.ns) {
        const auto b = before.ns.find(name);
        const long long used = ns - (b == before.ns.end() ? 0 : b->second);
        p.percent[name] = 100.0 * used / 1e9 / seconds;
        const auto w = before.wakes.find(name);
        p.wakesPerSecond[name] = (after.wakes.at(name) - (w == before.wakes.end() ? 0 : w->second)) / seconds;
    }
    std::sort(delays.begin(), delays.end());
    if (!delays.empty()) {
        p.worstMs = delays.back();
        p.p99Ms = delays[std::min(delays.size() - 1, std::size_t(delays.size() * 0.99))];
    }
    return p;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int seconds = 20;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--seconds") seconds = std::max(1, std::atoi(argv[i + 1]));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TrafficLog log;
    QtUserPrompt prompt;
    sim::SimPty unit; // paced at 38400 baud, whole frames as an adapter hands them over
    std::string error;
    if (!unit.start(&error)) {
        std::fprintf(stderr, "simulated unit: %s\n", error.c_str());
        return 1;
    }
    const QString description = QStringLiteral("Voltmast bench unit");
    auto directory = std::make_unique<SerialPortDirectory>();
    directory->addDevice(description, QString::fromStdString(unit.path()));
    TMainForm form(std::make_unique<UsbThread>(std::move(directory), &log), log, prompt,
                   AppSettings(dir.filePath("bench.INI"), dir.path()));
    form.show();

    Measure(1000, false); // settle
    Phase closed = Measure(seconds * 500, false);

    form.Connect(description);
    form.timerSerial().stop(); // no read after connect: the figure is live work alone
    Measure(2000, false);
    Phase idle = Measure(seconds * 1000, false);
    const Phase idleDelay = Measure(5000, true);
    idle.worstMs = idleDelay.worstMs;
    idle.p99Ms = idleDelay.p99Ms;

    // The CAN monitor at the wire's full rate, shown on its page.
    form.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(kPageCanInputs);
    unit.changeState([](sim::SimState& s) { s.canMonitor.setIntervalMs(0); });
    form.canMonitorBox().checkBox()->click();
    Measure(1000, false);
    long long sentBefore = 0, sentAfter = 0;
    unit.inspectState([&](const sim::SimState& s) { sentBefore = s.canMonitor.framesSent(); });
    const long long shownBefore = form.canMonitorBox().linesShown();
    Phase monitor = Measure(seconds * 1000, true);
    unit.inspectState([&](const sim::SimState& s) { sentAfter = s.canMonitor.framesSent(); });
    const double rate = double(sentAfter - sentBefore) / seconds;
    // Off again; every frame sent since the phase began must reach the memo.
    form.canMonitorBox().checkBox()->click();
    Measure(500, false);
    unit.inspectState([&](const sim::SimState& s) { sentAfter = s.canMonitor.framesSent(); });
    const long long shown = form.canMonitorBox().linesShown() - shownBefore;

    // CPU % of one core per phase, and wake-ups a second beside it.
    std::printf("%-24s %20s %20s %20s\n", "thread", "not connected", "connected idle", "CAN monitor");
    const Phase* phases[3] = {&closed, &idle, &monitor};
    std::map<std::string, bool> names;
    for (const Phase* p : phases)
        for (const auto& [n, v] : p->percent)
            names[n] = true;
    double sums[3] = {0, 0, 0}, tool[3] = {0, 0, 0};
    const auto cell = [](double percent, double wakes) {
        char text[32];
        std::snprintf(text, sizeof text, "%6.2f %% %6.0f/s", percent, wakes);
        return std::string(text);
    };
    for (const auto& [name, unused] : names) {
        double v[3], w[3];
        for (int i = 0; i < 3; ++i) {
            v[i] = phases[i]->percent.count(name) ? phases[i]->percent.at(name) : 0;
            w[i] = phases[i]->wakesPerSecond.count(name) ? phases[i]->wakesPerSecond.at(name) : 0;
            sums[i] += v[i];
            if (name != "voltmast-sim") tool[i] += v[i];
        }
        if (v[0] < 0.005 && v[1] < 0.005 && v[2] < 0.005) continue;
        std::printf("%-24s %20s %20s %20s\n", name.c_str(), cell(v[0], w[0]).c_str(),
                    cell(v[1], w[1]).c_str(), cell(v[2], w[2]).c_str());
    }
    std::printf("%-24s %11.2f %% %17.2f %% %17.2f %%\n", "tool (all but the unit)", tool[0], tool[1],
                tool[2]);
    std::printf("%-24s %11.2f %% %17.2f %% %17.2f %%\n", "whole process", sums[0], sums[1], sums[2]);
    std::printf("event delay worst/p99: idle %.1f/%.1f ms, monitor %.1f/%.1f ms\n", idle.worstMs, idle.p99Ms,
                monitor.worstMs, monitor.p99Ms);
    std::printf("monitor: %.0f frames/s from the unit; %lld sent, %lld lines shown; the memo holds %d\n",
                rate, sentAfter - sentBefore, shown, form.canMonitorBox().memo()->document()->blockCount());
    return 0;
}
