#pragma once
// The FIA compare: the unit's program memory, read back 16 bytes at a time
// over 0x0000..0xFBFF, against an Intel HEX file. One read request is out at a
// time; a reply is taken only when it answers that request. The window and the
// command line show the lines this class writes.
#include "protocol/frame_codec.h"
#include "session/service_windows.h"
#include "tools/firmware/hex_file.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace vm {

namespace fia_text {
inline const QString kNoFile = QStringLiteral(" No .hex file selectet");
inline const QString kIdentical = QStringLiteral("FIA compare File is identical with firmware");
inline const QString kMismatch = QStringLiteral("FIA compare Fail, File not the same in Adr: ");
inline const QString kNoContact = QStringLiteral("No contact to target");
inline const QString kUserCancel = QStringLiteral("User cancel compare");
inline const QString kSerial = QStringLiteral("Voltmast serial no : ");
inline const QString kRule = QString(70, QLatin1Char('-'));
} // namespace fia_text

class FiaCompare : public QObject, public PacketReceiver {
    Q_OBJECT
public:
    static constexpr int kRequestMs = 300;
    static constexpr int kRepeats = 5;
    static constexpr std::uint32_t kEndAddress = 0xFC00; // 4032 blocks
    static constexpr int kBlockBytes = 16;
    static constexpr int kPercentDivisor = 645;

    enum class Result { Running, Identical, Mismatch, NoContact, Cancelled, Idle };

    explicit FiaCompare(FrameSink& link, QObject* parent = nullptr);

    // The "Start" button: loads the file whole, then asks for the serial
    // number and the first block. False with the text to show when there is
    // no file or it is refused; nothing is sent then.
    bool Start(const QString& path, const QString& firmwareVersion, QString* text,
               const QDateTime& now = QDateTime::currentDateTime());
    void Cancel();
    // The reply timer's handler.
    void TimerRequestTimer();
    void ReceivePacket(const LinkPacket& packet) override;

    Result result() const { return result_; }
    bool running() const { return result_ == Result::Running; }
    std::uint32_t compareAddress() const { return compareAddress_; }
    int retryCount() const { return retryCount_; }
    int percent() const { return percent_; }
    long long requestsSent() const { return requestsSent_; }
    // Replies refused: too short, or for another block than the one asked.
    long long repliesRefused() const { return repliesRefused_; }
    QTimer& requestTimer() { return timerRequest_; }

    // "Adr:1230 : 01:02:...:10:"
    static QString BlockLine(std::uint32_t address, const std::uint8_t* bytes);

Q_SIGNALS:
    void statusLine(const QString& line);
    void fileLine(const QString& line);
    void targetLine(const QString& line);
    void progressChanged(int percent); // with "N % done" for the label
    // A compare ended (not by Cancel); text is its last status line.
    void finished(Result result, const QString& text);
    // A message the window shows in a box as well.
    void message(const QString& text);

private:
    void sendRead();
    void end(Result result, const QString& text);

    FrameSink& link_;
    std::unique_ptr<HEXFile> image_;
    Result result_ = Result::Idle;
    std::uint32_t compareAddress_ = 0;
    int retryCount_ = 0;
    int percent_ = 0;
    long long requestsSent_ = 0;
    long long repliesRefused_ = 0;
    QTimer timerRequest_;
};

} // namespace vm
