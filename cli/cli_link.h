#pragma once
// The link as the command line uses it: one device, received packets handed to
// a callback, link trouble reported on stderr in the tool's words.
#include "protocol/frame_codec.h"
#include "sim/sim_options.h"
#include "simport/sim_device.h"

#include <QObject>
#include <functional>
#include <memory>
#include <string>

namespace vm {
class SerialPortDirectory;
class UsbThread;
} // namespace vm

namespace vm::cli {

struct Target {
    std::string port;        // --port PATH
    std::string description; // --device DESCRIPTION
    bool sim = false;        // --sim
    sim::SimOptions simOptions;
};

inline constexpr const char* kSimDescription = sim::kSimDescription;

// Ctrl+C or SIGTERM arrived: long waits end, and what they started is undone.
void NoteInterrupt();
bool Interrupted();

class CliLink : public QObject {
    Q_OBJECT
public:
    CliLink();
    ~CliLink() override;

    // Device descriptions, including --port and --sim entries once open()/prepare() ran.
    QStringList devices() const;
    // Registers the --port device and the --sim unit (in this process). Cannot
    // fail at present; error is there for a source that can.
    bool prepare(const Target& target, std::string* error);
    // Opens the target (or the first device listed when none was named).
    bool open(const Target& target, std::string* error);

    UsbThread& link() { return *link_; }
    void send(const LinkPacket& packet);
    std::function<void(const LinkPacket&)> onPacket; // packets with a good checksum
    long long packetsReceived() const { return received_; }
    long long checksumErrors() const { return checksumErrors_; }

private:
    SerialPortDirectory* directory_ = nullptr; // owned by link_
    std::shared_ptr<sim::SimDevice> sim_;
    std::unique_ptr<UsbThread> link_;
    FrameAssembler assembler_;
    long long received_ = 0;
    long long checksumErrors_ = 0;
};

} // namespace vm::cli
