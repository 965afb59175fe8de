#include "cli/cli_link.h"

#include "link/device_directory.h"
#include "link/traffic_lines.h"
#include "link/usb_thread.h"

#include <atomic>
#include <iostream>

namespace vm::cli {

namespace {
std::atomic<bool> interrupted{false};
} // namespace

void NoteInterrupt() { interrupted = true; }
bool Interrupted() { return interrupted; }

CliLink::CliLink()
    : assembler_([this](const LinkPacket& p) {
          ++received_;
          if (!p.checksumOk()) {
              ++checksumErrors_;
              std::cerr << ChecksumErrorLine(p).toStdString() << std::endl;
              return;
          }
          if (onPacket) onPacket(p);
      }) {
    auto directory = std::make_unique<SerialPortDirectory>();
    directory_ = directory.get();
    link_ = std::make_unique<UsbThread>(std::move(directory), nullptr);
    connect(link_.get(), &UsbThread::bytesReceived, this, [this](const QByteArray& bytes) {
        assembler_.PutBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<int>(bytes.size()));
    });
    connect(link_.get(), &UsbThread::receiveGap, this, [this] { assembler_.Resync(); });
    connect(link_.get(), &UsbThread::receiveOverflow, this,
            [](qint64 dropped) { std::cerr << ReceiveOverflowLine(dropped).toStdString() << std::endl; });
    connect(link_.get(), &UsbThread::deviceLost, this, [] { std::cerr << "USB DISCONNECTED" << std::endl; });
    connect(link_.get(), &UsbThread::deviceReopened, this, [] { std::cerr << "USB CONNECTED" << std::endl; });
}

CliLink::~CliLink() = default;

QStringList CliLink::devices() const { return link_->EnumerateDevices(); }

bool CliLink::prepare(const Target& target, std::string* /*error*/) {
    if (!target.port.empty()) directory_->addPort(QString::fromStdString(target.port));
    if (target.sim && !sim_) sim_ = sim::AddSimDevice(*directory_, target.simOptions);
    return true;
}

bool CliLink::open(const Target& target, std::string* error) {
    if (!prepare(target, error)) return false;
    QString description;
    if (target.sim)
        description = QString::fromLatin1(kSimDescription);
    else if (!target.port.empty())
        description = QString::fromStdString(target.port);
    else if (!target.description.empty())
        description = QString::fromStdString(target.description);
    else {
        const QStringList all = devices();
        if (all.isEmpty()) {
            if (error) *error = "no device attached";
            return false;
        }
        description = all.first();
    }
    if (!link_->Open(description)) {
        if (error)
            *error = "cannot open " + description.toStdString() + ": " + link_->lastError().toStdString();
        return false;
    }
    return true;
}

void CliLink::send(const LinkPacket& packet) { SendCommand(*link_, packet); }

} // namespace vm::cli
