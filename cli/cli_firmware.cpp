#include "cli/cli_firmware.h"

#include "cli/cli_link.h"
#include "link/usb_thread.h"
#include "protocol/message_catalogue.h"
#include "tools/fia/fia_compare.h"
#include "tools/firmware/firmware_update.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <ostream>
#include <unistd.h>

namespace vm::cli {

namespace {

// A bar on a terminal, "NN %" lines for a log; each percent once.
class Progress {
public:
    explicit Progress(std::ostream& err) : err_(err), bar_(::isatty(STDERR_FILENO) != 0) {}
    ~Progress() { close(); }
    void show(int percent) {
        if (percent == last_) return;
        last_ = percent;
        if (!bar_) {
            err_ << percent << " %" << std::endl;
            return;
        }
        const int filled = percent * kWidth / 100;
        err_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
             << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << percent << " %" << std::flush;
        open_ = true;
    }
    // Ends the bar's line before anything else is written.
    void close() {
        if (open_) err_ << std::endl;
        open_ = false;
    }

private:
    static constexpr int kWidth = 40;
    std::ostream& err_;
    bool bar_;
    bool open_ = false;
    int last_ = -1;
};

} // namespace

int RunFlash(CliLink& link, const std::string& path, bool reboot, int waitSeconds, std::ostream& out,
             std::ostream& err) {
    QString error;
    std::unique_ptr<HEXFile> image = LoadFirmwareImage(QString::fromStdString(path), &error);
    if (!image) {
        err << error.toStdString() << std::endl; // nothing was sent
        return 1;
    }

    UsbThread& usb = link.link();
    UsbRawLink raw(usb);
    FirmwareUpdate update(raw);
    QObject::connect(&usb, &UsbThread::rawBytesReceived, &update, &FirmwareUpdate::ReceiveBytes);
    QObject::connect(&usb, &UsbThread::deviceLost, &update, &FirmwareUpdate::OnDeviceLost);
    Progress progress(err);
    QObject::connect(&update, &FirmwareUpdate::progressChanged, [&](int p) { progress.show(p); });
    QEventLoop loop;
    bool ok = false;
    QString text;
    QObject::connect(&update, &FirmwareUpdate::finished, [&](bool success, const QString& t) {
        ok = success;
        text = t;
        loop.exit(0);
    });

    update.SetPromptTimeoutMs(waitSeconds * 1000);
    update.Arm(std::move(image)); // before the reboot, so its first prompt is not missed
    if (reboot) {
        link.send(LinkPacket::make(kGroupApp, msg::REBOOT_REQ));
    } else {
        out << firmware_text::kRebootToStart.toStdString() << std::endl;
    }
    const int rc = loop.exec(); // 130 after Ctrl+C
    progress.close();
    if (rc != 0) return rc;
    if (!ok) {
        // The link has said "USB DISCONNECTED" itself.
        if (text != firmware_text::kDisconnected) err << text.toStdString() << std::endl;
        return 1;
    }
    // The end mark must reach the unit before the port closes.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (usb.pendingFrames() == 0) loop.exit(0);
    });
    poll.start(5);
    QTimer::singleShot(2000, &loop, [&] { loop.exit(0); });
    loop.exec();
    out << text.toStdString() << std::endl;
    return 0;
}

int RunVerify(CliLink& link, const std::string& path, std::ostream& out, std::ostream& err) {
    FiaCompare fia(link.link());
    Progress progress(err);
    QEventLoop loop;
    FiaCompare::Result result = FiaCompare::Result::Running;
    QObject::connect(&fia, &FiaCompare::statusLine, [&](const QString& line) {
        if (!line.startsWith(fia_text::kSerial)) return;
        progress.close();
        out << line.toStdString() << std::endl;
    });
    QObject::connect(&fia, &FiaCompare::progressChanged, [&](int p) { progress.show(p); });
    QObject::connect(&fia, &FiaCompare::finished, [&](FiaCompare::Result r, const QString& text) {
        result = r;
        progress.close();
        out << text.toStdString() << std::endl;
        loop.exit(0);
    });
    link.onPacket = [&fia](const LinkPacket& packet) { fia.ReceivePacket(packet); };

    QString text;
    if (!fia.Start(QString::fromStdString(path), QString(), &text)) {
        link.onPacket = nullptr;
        err << text.toStdString() << std::endl; // nothing was sent
        return 1;
    }
    const int rc = loop.exec();
    link.onPacket = nullptr;
    if (rc != 0) return rc;
    return result == FiaCompare::Result::Identical ? 0 : 1;
}

ServiceRunner DeclareFlash(CLI::App& sub) {
    struct Options {
        std::string file;
        bool reboot = false;
        int wait = kDefaultPromptWaitSeconds;
    };
    auto options = std::make_shared<Options>();
    sub.description("Program an Intel HEX file into the unit through its bootloader");
    sub.add_option("FILE", options->file, "Intel HEX file")->required();
    sub.add_flag("--reboot", options->reboot, "Reboot the unit into its bootloader first");
    sub.add_option("--wait", options->wait, "Seconds to wait for the bootloader's prompt (default 60)")
        ->check(CLI::Range(1, 86400));
    return [options](CliLink& link, std::ostream& out, std::ostream& err) {
        return RunFlash(link, options->file, options->reboot, options->wait, out, err);
    };
}

ServiceRunner DeclareVerify(CLI::App& sub) {
    auto file = std::make_shared<std::string>();
    sub.description("Compare the unit's program memory with an Intel HEX file");
    sub.add_option("FILE", *file, "Intel HEX file")->required();
    return [file](CliLink& link, std::ostream& out, std::ostream& err) { return RunVerify(link, *file, out, err); };
}

} // namespace vm::cli
