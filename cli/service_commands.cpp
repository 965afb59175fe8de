#include "cli/service_commands.h"

#include "cli/cli_firmware.h"
#include "cli/cli_link.h"
#include "cli/service_run.h"
#include "tools/calibration/calibration_logic.h"
#include "tools/eeprom/eeprom_file.h"
#include "tools/eeprom/eeprom_transfer.h"
#include "tools/ping/ping_logic.h"
#include "tools/runtime_error/error_log_logic.h"
#include "tools/service_tools.h"
#include "tools/setup/setup_logic.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <memory>
#include <ostream>

namespace vm::cli {

namespace {

constexpr int kAnswerMs = 1000; // every service answer within this, as the EEPROM window waits

std::string Str(const QString& s) { return s.toStdString(); }

// Waits for done, or for failure, while a lost device may still come back.
bool WaitFor(ServiceRun& run, const std::function<bool()>& done, const LossGuard* guard = nullptr) {
    while (true) {
        if (run.RunUntil(done, kAnswerMs)) return true;
        if (!guard || !guard->down()) return false;
    }
}

// ---- ping -----------------------------------------------------------------

ServiceRunner DeclarePing(CLI::App& sub) {
    auto count = std::make_shared<int>(10);
    auto interval = std::make_shared<int>(PingLogic::kDefaultIntervalMs);
    sub.add_option("--count", *count, "Pings to send (default 10)")->check(CLI::Range(1, 100000));
    sub.add_option("--interval", *interval,
                   "Milliseconds from one ping to the next (default 500, at least 1)")
        ->check(CLI::Range(1, PingLogic::kMaxIntervalMs));
    return [count, interval](CliLink& link, std::ostream& out, std::ostream&) {
        ServiceRun run(link);
        PingLogic ping(run.unit());
        run.unit().services().publish(ServiceSlot::Ping, &ping);
        int ok = 0, wrong = 0, lost = 0;
        double min = 0, max = 0, sum = 0;
        std::optional<std::pair<bool, double>> echo;
        QObject::connect(&ping, &PingLogic::echoReceived, [&](bool right, double ms) {
            if (!echo) echo = std::make_pair(right, ms);
        });
        int k = 0;
        QObject::connect(&ping, &PingLogic::checksumError,
                         [&] { out << "ping " << k << ": Chksum Error...." << std::endl; });
        for (k = 1; k <= *count; ++k) {
            echo.reset();
            QElapsedTimer sent;
            sent.start();
            ping.SendPing();
            const int n = ping.lastCount();
            if (!run.RunUntil([&] { return echo.has_value(); }, kAnswerMs)) {
                ++lost;
                out << "ping " << k << ": Timeout error" << std::endl;
            } else if (!echo->first) {
                ++wrong;
                out << "ping " << k << ": ERROR in data" << std::endl;
            } else {
                const double ms = echo->second;
                min = ok ? std::min(min, ms) : ms;
                max = ok ? std::max(max, ms) : ms;
                sum += ms;
                ++ok;
                out << "ping " << k << ": " << n << " bytes, " << Str(QString::number(ms, 'f', 1)) << " ms"
                    << std::endl;
            }
            if (k < *count) {
                const qint64 left = *interval - sent.elapsed();
                if (left > 0) run.RunUntil([] { return false; }, static_cast<int>(left));
            }
        }
        run.unit().services().withdraw(ServiceSlot::Ping);
        const auto f = [](double v) { return Str(QString::number(v, 'f', 1)); };
        out << *count << " sent, " << ok << " ok, " << wrong << " wrong, " << lost
            << " lost, round trip min/avg/max "
            << (ok ? f(min) + "/" + f(sum / ok) + "/" + f(max) : std::string("-/-/-")) << " ms" << std::endl;
        return ok == *count ? 0 : 1;
    };
}

// ---- errors and reboot -----------------------------------------------------

ServiceRunner DeclareErrors(CLI::App& sub) {
    auto reset = std::make_shared<bool>(false);
    auto resetSystem = std::make_shared<bool>(false);
    sub.add_flag("--reset", *reset, "Reset the error log first");
    sub.add_flag("--reset-system-log", *resetSystem, "Reset the system log first");
    return [reset, resetSystem](CliLink& link, std::ostream& out, std::ostream& err) {
        ServiceRun run(link);
        ErrorLogLogic log(run.unit());
        Publication published(run.unit().services(), ServiceSlot::RuntimeError, &log);
        QObject::connect(&log, &ErrorLogLogic::lineAdded,
                         [&](const QString& line) { out << Str(line) << std::endl; });
        QObject::connect(&log, &ErrorLogLogic::shortAnswer, [&](int code) {
            err << "short answer " << code << " from the unit, not read" << std::endl;
        });
        bool done = false;
        if (*reset) {
            QObject::connect(&log, &ErrorLogLogic::logReset, [&] { done = true; });
            log.ResetLog();
            if (!run.RunUntil([&] { return done; }, kAnswerMs)) {
                err << "the unit did not confirm the error log reset within " << kAnswerMs << " ms"
                    << std::endl;
                return 1;
            }
        }
        if (*resetSystem) {
            done = false;
            QObject::connect(&log, &ErrorLogLogic::systemLogReset, [&] { done = true; });
            log.ResetSystemLog();
            if (!run.RunUntil([&] { return done; }, kAnswerMs)) {
                err << "the unit did not confirm the system log reset within " << kAnswerMs << " ms"
                    << std::endl;
                return 1;
            }
        }
        bool listed = false;
        QObject::connect(&log, &ErrorLogLogic::listingDone, [&] { listed = true; });
        log.Start();
        // Each answer within the limit; the count bounds how many there are.
        int lastShown = -1;
        while (!listed) {
            if (!run.RunUntil([&] { return listed || log.entriesShown() != lastShown; }, kAnswerMs)) {
                err << (log.countPending()
                            ? std::string("the unit did not tell its error count")
                            : "the unit stopped answering after entry " + std::to_string(log.entriesShown()) +
                                  " of " + std::to_string(log.entryCount()))
                    << std::endl;
                return 1;
            }
            lastShown = log.entriesShown();
        }
        return 0;
    };
}

ServiceRunner DeclareReboot(CLI::App&) {
    return [](CliLink& link, std::ostream& out, std::ostream& err) {
        ServiceRun run(link);
        ErrorLogLogic log(run.unit());
        Publication published(run.unit().services(), ServiceSlot::RuntimeError, &log);
        bool done = false;
        QObject::connect(&log, &ErrorLogLogic::rebooted, [&] { done = true; });
        log.Reboot();
        if (!run.RunUntil([&] { return done; }, kAnswerMs)) {
            err << "the unit did not confirm the reboot within " << kAnswerMs << " ms" << std::endl;
            return 1;
        }
        out << "System reboot.." << std::endl;
        return 0;
    };
}

// ---- setup -----------------------------------------------------------------

ServiceRunner DeclareSetup(CLI::App& sub) {
    auto texts = std::make_shared<std::array<std::string, 4>>();
    std::array<CLI::Option*, 4> opts = {
        sub.add_option("--serial", (*texts)[0], "Serial number, 0..4294967295"),
        sub.add_option("--week", (*texts)[1], "Production week, 0..255"),
        sub.add_option("--year", (*texts)[2], "Production year, 2006..2099"),
        sub.add_option("--hardware", (*texts)[3], "Hardware version, 0..255")};
    return [texts, opts](CliLink& link, std::ostream& out, std::ostream& err) {
        const auto given =
            std::count_if(opts.begin(), opts.end(), [](CLI::Option* o) { return o->count() > 0; });
        if (given != 0 && given != 4) {
            err << "setup stores all four fields: give --serial, --week, --year and --hardware" << std::endl;
            return 2;
        }
        const auto q = [](const std::string& s) { return QString::fromStdString(s); };
        const ProductionTexts fields{q((*texts)[0]), q((*texts)[2]), q((*texts)[1]), q((*texts)[3])};
        if (given == 4) {
            const SetupCheck check = CheckSetupFields(fields);
            if (!check.data) {
                err << Str(check.error.trimmed()) << std::endl; // refused: nothing was sent
                return 2;
            }
        }
        ServiceRun run(link);
        SetupLogic setup(run.unit());
        Publication published(run.unit().services(), ServiceSlot::SystemSetup, &setup);
        std::optional<ProductionData> read;
        bool stored = false;
        QString failure;
        QObject::connect(&setup, &SetupLogic::dataRead, [&](const ProductionData& d) { read = d; });
        QObject::connect(&setup, &SetupLogic::stored, [&] { stored = true; });
        QObject::connect(&setup, &SetupLogic::storeFailed, [&](const QString& why) { failure = why; });
        if (given == 4) {
            setup.Upload(fields);
            if (!WaitFor(
                    run, [&] { return stored || !failure.isEmpty(); }, &setup.lossGuard()) ||
                !stored) {
                err << (failure.isEmpty() ? "the unit did not confirm the store within 1000 ms"
                                          : Str(failure))
                    << std::endl;
                return 1;
            }
            err << kDataStored << std::endl;
        } else {
            setup.Read();
        }
        if (!run.RunUntil([&] { return read.has_value(); }, kAnswerMs)) {
            err << "the unit did not send its production data within " << kAnswerMs << " ms" << std::endl;
            return 1;
        }
        const ProductionTexts shown = TextsOf(*read);
        out << "serial: " << Str(shown.serial) << "\nweek: " << Str(shown.week) << "\nyear: " << read->year
            << "\nhardware: " << int(read->hardware) << std::endl;
        if (given == 4 && *read != *CheckSetupFields(fields).data) {
            err << "the unit holds other production data than was stored" << std::endl;
            return 1;
        }
        return 0;
    };
}

// ---- eeprom ----------------------------------------------------------------

struct EepromArgs {
    std::string start = "0000", end = "1000", output, file;
    bool verify = false;
};

// Runs one transfer to its end; false with the reason on err.
bool RunTransfer(ServiceRun& run, EepromTransfer& transfer, bool write, const EepromRange& range,
                 std::ostream& err) {
    bool finished = false;
    QString failure;
    int shown = -1;
    const auto c1 = QObject::connect(&transfer, &EepromTransfer::finished, [&] { finished = true; });
    const auto c2 =
        QObject::connect(&transfer, &EepromTransfer::failed, [&](const QString& why) { failure = why; });
    const auto c3 = QObject::connect(&transfer, &EepromTransfer::progressChanged, [&](int percent) {
        if (percent / 10 == shown / 10) return;
        shown = percent;
        err << (write ? "writing " : "reading ") << percent << " %" << std::endl;
    });
    if (const auto refused = write ? transfer.StartWrite(range) : transfer.StartRead(range))
        failure = *refused;
    else
        run.RunUntil([&] { return finished || !failure.isEmpty(); }, 24 * 3600 * 1000);
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    QObject::disconnect(c3);
    if (!finished) err << Str(failure) << std::endl;
    return finished;
}

ServiceRunner DeclareEeprom(CLI::App& sub) {
    auto args = std::make_shared<EepromArgs>();
    sub.require_subcommand(1);
    CLI::App* read = sub.add_subcommand("read", "Read a range of the EEPROM into a file");
    read->add_option("--start", args->start, "First address, hex (default 0000)");
    read->add_option("--end", args->end, "Address to stop at, hex (default 1000)");
    read->add_option("-o,--output", args->output, "File: .bin for raw bytes, else the text format")
        ->required();
    CLI::App* write = sub.add_subcommand("write", "Write a range of the EEPROM from a file");
    write->add_option("FILE", args->file, "EEPROM file: the text format or .bin")->required();
    write->add_option("--start", args->start, "First address, hex (default 0000)");
    write->add_option("--end", args->end, "Address to stop at, hex (default 1000)");
    write->add_flag("--verify", args->verify, "Read the range back and compare");
    return [args, write](CliLink& link, std::ostream& out, std::ostream& err) {
        const RangeCheck check =
            CheckEepromRange(QString::fromStdString(args->start), QString::fromStdString(args->end));
        if (!check.range) {
            err << Str(check.error) << std::endl;
            return 2;
        }
        const EepromRange range = *check.range;
        const QString rangeText = AddressText(range.start) + QStringLiteral("..") + AddressText(range.end);
        EepromImage image;
        if (write->parsed()) {
            const QString file = QString::fromStdString(args->file);
            EepromRows rows{};
            if (EepromFormatOf(file) == EepromFormat::Unknown) {
                err << args->file << ": neither a .txt nor a .bin file" << std::endl;
                return 2;
            }
            const QString refused = LoadEepromFile(file, image, &rows);
            if (!refused.isEmpty()) {
                err << Str(refused) << std::endl;
                return 2;
            }
            for (int a = range.start; a < range.end; a += kEepromBlock)
                if (!rows[static_cast<std::size_t>(a / kEepromBlock)]) {
                    err << args->file << ": holds no bytes for " << Str(AddressText(a)) << ".."
                        << Str(AddressText(a + kEepromBlock - 1)) << " of the range " << Str(rangeText)
                        << std::endl;
                    return 2;
                }
        } else {
            const QString path = QString::fromStdString(args->output);
            if (path.endsWith(QLatin1Char('/')) || QFileInfo(path).isDir()) {
                err << args->output << ": is a directory, not a file name" << std::endl;
                return 2;
            }
        }
        ServiceRun run(link);
        EepromTransfer transfer(run.unit(), image);
        Publication published(run.unit().services(), ServiceSlot::Eeprom, &transfer);
        if (!RunTransfer(run, transfer, write->parsed(), range, err)) return 1;
        if (!write->parsed()) {
            const QString failed =
                SaveEepromFile(QString::fromStdString(args->output), image, range.start, range.end);
            if (!failed.isEmpty()) {
                err << Str(failed) << std::endl;
                return 1;
            }
            out << "read " << Str(rangeText) << " (" << (range.end - range.start) << " bytes) to "
                << args->output << std::endl;
            return 0;
        }
        out << "wrote " << Str(rangeText) << " (" << (range.end - range.start) / kEepromBlock << " blocks)"
            << std::endl;
        if (!args->verify) return 0;
        EepromImage back;
        EepromTransfer readBack(run.unit(), back);
        run.unit().services().publish(ServiceSlot::Eeprom, &readBack);
        if (!RunTransfer(run, readBack, false, range, err)) return 1;
        const QByteArray want = image.BytesOf(range.start, range.end).bytes;
        const QByteArray got = back.BytesOf(range.start, range.end).bytes;
        for (int i = 0; i < want.size(); ++i)
            if (i >= got.size() || want[i] != got[i]) {
                err << "verify: " << Str(AddressText(range.start + i)) << " holds "
                    << Str(i < got.size() ? ByteText(std::uint8_t(got[i])) : QStringLiteral("??"))
                    << ", the file " << Str(ByteText(std::uint8_t(want[i]))) << std::endl;
                return 1;
            }
        out << "verified " << Str(rangeText) << std::endl;
        return 0;
    };
}

// ---- calibration -------------------------------------------------------------

struct CalibrationArgs {
    int channel = 0;
    std::string amps;
    bool offsets = false, ratios = false;
};

ServiceRunner DeclareCalibration(CLI::App& sub) {
    auto args = std::make_shared<CalibrationArgs>();
    sub.require_subcommand(1);
    CLI::App* show = sub.add_subcommand("show", "One round of the 18 channels");
    CLI::App* zero = sub.add_subcommand("zero", "Store the A/D offsets (nothing connected to the outputs)");
    CLI::App* set = sub.add_subcommand("set", "Compute and store a channel's ratio from a measured current");
    set->add_option("CH", args->channel, "Channel 1..18")
        ->required()
        ->check(CLI::Range(1, kCalibrationChannels));
    set->add_option("AMPS", args->amps, "Measured current in amperes")->required();
    CLI::App* use = sub.add_subcommand("use", "Tell the unit to use the stored offsets and ratios");
    use->add_flag("--offsets", args->offsets, "Use the A/D offsets");
    use->add_flag("--ratios", args->ratios, "Use the ratios");
    return [args, show, zero, set, use](CliLink& link, std::ostream& out, std::ostream& err) {
        if (*set) {
            // Checked before anything is sent; the channel's readings come later.
            ChannelCalibration probe{0, 0, 0, 1};
            const RatioResult r = ComputeRatio(QString::fromStdString(args->amps), probe);
            if (!r.ratio) {
                err << Str(r.error) << std::endl;
                return 2;
            }
        }
        ServiceRun run(link);
        CalibrationLogic cal(run.unit());
        Publication published(run.unit().services(), ServiceSlot::Calibration, &cal);
        QObject::connect(&cal, &CalibrationLogic::message,
                         [&](const QString& m) { err << Str(m.trimmed()) << std::endl; });
        const auto finish = [&](int code) {
            cal.Close(); // back to the main window's mode: Auto
            run.Drain();
            return code;
        };
        cal.Open();
        if (!run.RunUntil([&] { return cal.inCalibrationMode(); }, kAnswerMs)) {
            err << "the unit did not enter calibration mode within " << kAnswerMs << " ms" << std::endl;
            return finish(1);
        }
        if (*show || *set) {
            std::array<bool, kCalibrationChannels + 1> seen{};
            int answers = 0;
            QObject::connect(&cal, &CalibrationLogic::channelChanged, [&](int ch) {
                seen[static_cast<std::size_t>(ch)] = true;
                ++answers;
            });
            const auto have = [&] {
                return *set ? seen[static_cast<std::size_t>(args->channel)]
                            : std::all_of(seen.begin() + 1, seen.end(), [](bool b) { return b; });
            };
            int before = -1;
            while (!have()) {
                if (!run.RunUntil([&] { return have() || answers != before; }, kAnswerMs)) {
                    err << "the unit stopped sending channel data" << std::endl;
                    return finish(1);
                }
                before = answers;
            }
        }
        if (*show) {
            for (int ch = 1; ch <= kCalibrationChannels; ++ch) {
                const auto& c = cal.channel(ch);
                const ChannelTexts t = TextsOf(c);
                out << "channel " << ch << ": current " << Str(t.amps) << ", ratio " << c->ratio << ", ad "
                    << Str(t.ad) << ", offset " << Str(t.offset) << std::endl;
            }
        } else if (*zero) {
            bool stored = false;
            QObject::connect(&cal, &CalibrationLogic::offsetsStored, [&] { stored = true; });
            cal.StoreOffsets();
            if (!run.RunUntil([&] { return stored; }, kAnswerMs)) {
                err << "the unit did not confirm the A/D offsets within " << kAnswerMs << " ms" << std::endl;
                return finish(1);
            }
            out << "A/D offsets stored" << std::endl;
        } else if (*set) {
            const RatioResult r = cal.NewRatio(args->channel, QString::fromStdString(args->amps));
            if (!r.ratio) {
                err << "channel " << args->channel << ": " << Str(r.error) << std::endl;
                return finish(1);
            }
            bool ended = false;
            QString failure;
            QObject::connect(&cal, &CalibrationLogic::storeChainEnded, [&] { ended = true; });
            QObject::connect(&cal, &CalibrationLogic::storeFailed,
                             [&](const QString& why) { failure = why; });
            cal.StoreRatios();
            if (!WaitFor(
                    run, [&] { return ended || !failure.isEmpty(); }, &cal.lossGuard()) ||
                !ended) {
                err << (failure.isEmpty() ? "the unit did not confirm the ratio within 1000 ms"
                                          : Str(failure))
                    << std::endl;
                return finish(1);
            }
            out << "channel " << args->channel << ": ratio " << *r.ratio << std::endl;
        } else if (*use) {
            cal.UseValues(args->offsets, args->ratios);
            out << "flags " << int(UseValuesFlags(args->offsets, args->ratios)) << " (offsets "
                << (args->offsets ? "used" : "not used") << ", ratios "
                << (args->ratios ? "used" : "not used") << ")" << std::endl;
        }
        return finish(0);
    };
}

struct CommandRow {
    ServiceTool tool;
    const char* name; // nullptr: the tool's own command
    const char* help;
    const char* example;
    // Declares the options on the subcommand; returns what runs it.
    ServiceRunner (*declare)(CLI::App& subcommand);
};

// One row per command of a tool whose row in the tool table names one.
const CommandRow kCommands[] = {
    {ServiceTool::Firmware, nullptr, "Program a firmware HEX file through the unit's bootloader",
     "voltmast-cli --port /dev/ttyUSB0 flash fw.hex --reboot", DeclareFlash},
    {ServiceTool::Fia, nullptr, "Compare the unit's program with a firmware HEX file",
     "voltmast-cli --port /dev/ttyUSB0 verify fw.hex", DeclareVerify},
    {ServiceTool::PingTest, nullptr, "Ping the unit and check every echo",
     "voltmast-cli --port /dev/ttyUSB0 ping --count 100 --interval 50", DeclarePing},
    {ServiceTool::SystemSetup, nullptr, "Show or store the unit's production data",
     "voltmast-cli --port /dev/ttyUSB0 setup --serial 1234 --week 12 --year 2024 --hardware 3", DeclareSetup},
    {ServiceTool::RuntimeError, nullptr, "Show the runtime error log, after the resets asked for",
     "voltmast-cli --port /dev/ttyUSB0 errors --reset", DeclareErrors},
    {ServiceTool::RuntimeError, "reboot", "Reboot the unit", "voltmast-cli --port /dev/ttyUSB0 reboot",
     DeclareReboot},
    {ServiceTool::Eeprom, nullptr, "Read or write the unit's EEPROM",
     "voltmast-cli --port /dev/ttyUSB0 eeprom read -o unit.txt", DeclareEeprom},
    {ServiceTool::Calibration, nullptr, "Show and calibrate the high-power current measurement",
     "voltmast-cli --port /dev/ttyUSB0 calibration set 3 25", DeclareCalibration},
};

} // namespace

std::vector<AddedCommand> AddServiceCommands(CLI::App& app) {
    std::vector<AddedCommand> added;
    for (const ServiceToolInfo& tool : ServiceTools()) {
        if (!tool.command) continue;
        for (const CommandRow& row : kCommands) {
            if (row.tool != tool.tool) continue;
            CLI::App* sub = app.add_subcommand(row.name ? row.name : tool.command, row.help);
            sub->footer(std::string("Example: ") + row.example);
            added.push_back({sub, row.declare(*sub)});
        }
    }
    return added;
}

} // namespace vm::cli
