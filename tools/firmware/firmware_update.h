#pragma once
// The firmware update: the image from an Intel HEX file goes to the unit's
// bootloader block by block over the raw route of the link. The bootloader
// drives the exchange ('>' prompt, 'T' block size, '!' next block, '@' abort);
// this class answers it and owns the state machine, its timeouts and texts.
// The window and the command line only show what it says.
#include "tools/firmware/hex_file.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace vm {

class UsbThread;

// What the update needs of the link.
class RawLink {
public:
    virtual ~RawLink() = default;
    // Received bytes to the raw receiver (on) or to the packet assembler (off);
    // whether the link is open.
    virtual bool RouteRaw(bool on) = 0;
    // Raw bytes, no framing; never repeated as a packet resend.
    virtual void SendRaw(const std::uint8_t* bytes, int count) = 0;
};

// The link thread as a RawLink.
class UsbRawLink : public RawLink {
public:
    explicit UsbRawLink(UsbThread& link) : link_(link) {}
    bool RouteRaw(bool on) override;
    void SendRaw(const std::uint8_t* bytes, int count) override;

private:
    UsbThread& link_;
};

namespace firmware_text {
inline const QString kNoFileSelected = QStringLiteral("! No file selected");
inline const QString kNotConnected = QStringLiteral("! Not connected to target, please connect USB ");
inline const QString kRebootToStart = QStringLiteral("Reboot target to start programming");
inline const QString kUpdated = QStringLiteral("Target updated");
inline const QString kAborted = QStringLiteral("Target aborted the update");
inline const QString kNoAnswer = QStringLiteral("No answer from the bootloader");
inline const QString kDisconnected = QStringLiteral("USB DISCONNECTED");
inline const QString kNoBlockSize = QStringLiteral("The bootloader asked for a block before giving the block size");
inline const QString kOutsideImage = QStringLiteral("The bootloader asked for a block outside the image");
// "Unexpected byte 0x41 from the bootloader"
QString UnexpectedByte(std::uint8_t byte);
} // namespace firmware_text

// "fw.hex:12: Wrong checksum ..." (no line for errors about the whole file).
QString LoadErrorText(const QString& path, const ErrorMsg& error);

// Loads a firmware file into a fresh image: the image, or null with the error text.
std::unique_ptr<HEXFile> LoadFirmwareImage(const QString& path, QString* error);

class FirmwareUpdate : public QObject {
    Q_OBJECT
public:
    static constexpr int kByteTimeoutMs = 5000;
    static constexpr int kBlockSize = 256;
    static constexpr std::uint8_t kPrompt = '>';
    static constexpr std::uint8_t kPromptAnswer = '<';
    static constexpr std::uint8_t kBlockSizeByte = 'T';
    static constexpr std::uint8_t kNextBlock = '!';
    static constexpr std::uint8_t kAbort = '@';

    enum class State : std::uint8_t { Idle = 0, WaitingForPrompt = 1, PromptAnswered = 2, Sending = 3 };

    // Takes the link's received bytes while it exists.
    explicit FirmwareUpdate(RawLink& link, QObject* parent = nullptr);
    ~FirmwareUpdate() override;

    // Whether the link was open when the update took the route.
    bool linkOpen() const { return linkOpen_; }

    // The "Program" button: loads the file whole and waits for the prompt.
    // False with the text to show when there is no file or it is refused;
    // then nothing is armed, not even an image loaded before.
    bool Program(const QString& path, QString* text);
    // Waits for the prompt with an image already loaded.
    void Arm(std::unique_ptr<HEXFile> image);
    // How long to wait for the prompt once armed; 0 (the window): until closed.
    void SetPromptTimeoutMs(int ms) { promptTimeoutMs_ = ms; }

    void ReceiveBytes(const QByteArray& bytes);
    void ByteReceived(std::uint8_t byte);
    void OnDeviceLost();
    // The reply timer's handler: no prompt, or no byte of the exchange, in time.
    void TimerByteTimer();

    State state() const { return state_; }
    bool busy() const { return state_ != State::Idle; }
    std::uint32_t start() const { return start_; }
    std::uint32_t end() const { return end_; }
    std::uint32_t sent() const { return sent_; }
    int blockSize() const { return blockSize_; }
    int progress() const { return progress_; }
    QTimer& byteTimer() { return byteTimer_; }

Q_SIGNALS:
    void progressChanged(int percent);
    // The update ended: "Target updated", or why it failed.
    void finished(bool ok, const QString& text);

private:
    void sendBlock();
    void fail(const QString& text);
    void setProgress(int percent);
    void setState(State state);

    RawLink& link_;
    bool linkOpen_ = false;
    std::unique_ptr<HEXFile> image_;
    State state_ = State::Idle;
    std::uint32_t start_ = 0;
    std::uint32_t end_ = 0;
    std::uint32_t sent_ = 0;
    int blockSize_ = 0;
    int progress_ = 0;
    int promptTimeoutMs_ = 0;
    QTimer byteTimer_;
};

} // namespace vm
