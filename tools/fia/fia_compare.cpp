#include "tools/fia/fia_compare.h"

#include "protocol/message_catalogue.h"
#include "tools/firmware/firmware_update.h"

#include <QLocale>

namespace vm {

namespace {

constexpr int kSerialReplyLength = 8;                 // serial number at 4..7
constexpr int kDataReplyLength = 6 + FiaCompare::kBlockBytes; // address 4..5, bytes 6..21

QString Hex4(std::uint32_t value) {
    return QString::number(value & 0xFFFF, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

// The packet arrived whole as far as its layout needs.
bool Holds(const LinkPacket& packet, int length) { return packet.length() >= length && packet.size >= length; }

} // namespace

FiaCompare::FiaCompare(FrameSink& link, QObject* parent) : QObject(parent), link_(link) {
    timerRequest_.setSingleShot(true);
    timerRequest_.setInterval(kRequestMs);
    connect(&timerRequest_, &QTimer::timeout, this, &FiaCompare::TimerRequestTimer);
}

QString FiaCompare::BlockLine(std::uint32_t address, const std::uint8_t* bytes) {
    QString line = QStringLiteral("Adr:") + Hex4(address) + QStringLiteral(" : ");
    for (int i = 0; i < kBlockBytes; ++i)
        line += QString::number(bytes[i], 16).toUpper().rightJustified(2, QLatin1Char('0')) + QLatin1Char(':');
    return line;
}

bool FiaCompare::Start(const QString& path, const QString& firmwareVersion, QString* text, const QDateTime& now) {
    if (path.isEmpty()) {
        if (text) *text = fia_text::kNoFile;
        return false;
    }
    QString error;
    std::unique_ptr<HEXFile> image = LoadFirmwareImage(path, &error);
    if (!image) {
        if (text) *text = error;
        return false;
    }
    timerRequest_.stop();
    image_ = std::move(image);
    retryCount_ = 0; // a compare after "No contact" gets its own five repeats
    result_ = Result::Running;
    SendCommand(link_, LinkPacket::make(kGroupApp, msg::SYSTEM_SETUP_READ));
    Q_EMIT statusLine(fia_text::kRule);
    Q_EMIT statusLine(QStringLiteral("Compare Startet ") + QLocale().toString(now, QLocale::ShortFormat));
    Q_EMIT statusLine(QStringLiteral("Comparing file : ") + path);
    Q_EMIT statusLine(QStringLiteral("With firmware version :") + firmwareVersion);
    compareAddress_ = 0;
    percent_ = 0;
    Q_EMIT progressChanged(0);
    sendRead();
    return true;
}

void FiaCompare::sendRead() {
    SendCommand(link_, LinkPacket::make(kGroupApp, msg::FIA_READ,
                                        {static_cast<std::uint8_t>(compareAddress_),
                                         static_cast<std::uint8_t>(compareAddress_ >> 8)}));
    ++requestsSent_;
    timerRequest_.start();
}

void FiaCompare::Cancel() {
    timerRequest_.stop();
    if (result_ == Result::Running) result_ = Result::Cancelled;
    Q_EMIT statusLine(fia_text::kUserCancel);
    Q_EMIT statusLine(fia_text::kRule);
}

void FiaCompare::TimerRequestTimer() {
    timerRequest_.stop();
    if (result_ != Result::Running) return;
    ++retryCount_;
    if (retryCount_ <= kRepeats) {
        sendRead();
        return;
    }
    end(Result::NoContact, fia_text::kNoContact);
}

void FiaCompare::end(Result result, const QString& text) {
    timerRequest_.stop();
    result_ = result;
    Q_EMIT statusLine(text);
    if (result != Result::NoContact) Q_EMIT statusLine(fia_text::kRule);
    Q_EMIT message(text);
    Q_EMIT finished(result, text);
}

void FiaCompare::ReceivePacket(const LinkPacket& packet) {
    if (result_ != Result::Running) return; // idle, finished or cancelled: late replies are not ours
    if (!packet.checksumOk() || packet.group() != kGroupApp) return;

    if (packet.command() == msg::SYSTEM_SETUP) {
        if (!Holds(packet, kSerialReplyLength)) {
            ++repliesRefused_;
            return;
        }
        const std::uint32_t serial = static_cast<std::uint32_t>(packet.at(4)) << 24 |
                                     static_cast<std::uint32_t>(packet.at(5)) << 16 |
                                     static_cast<std::uint32_t>(packet.at(6)) << 8 | packet.at(7);
        Q_EMIT statusLine(fia_text::kSerial + QString::number(serial).rightJustified(8, QLatin1Char('0')));
        return;
    }
    if (packet.command() != msg::FIA_DATA) return;
    const std::uint32_t replyAddress = packet.at(4) | static_cast<std::uint32_t>(packet.at(5)) << 8;
    if (!Holds(packet, kDataReplyLength) || replyAddress != compareAddress_) {
        // A short reply, or a late one for a block already asked again: the
        // timer stays on and the request is repeated as for no reply.
        ++repliesRefused_;
        return;
    }
    timerRequest_.stop();
    retryCount_ = 0;

    const std::uint8_t* received = &packet.bytes[6];
    std::uint8_t expected[kBlockBytes];
    for (int i = 0; i < kBlockBytes; ++i)
        expected[i] = image_->GetByte(static_cast<std::int32_t>(compareAddress_) + i);
    Q_EMIT targetLine(BlockLine(replyAddress, received));
    Q_EMIT fileLine(BlockLine(compareAddress_, expected));

    for (int i = 0; i < kBlockBytes; ++i) {
        if (received[i] == expected[i]) continue;
        end(Result::Mismatch, fia_text::kMismatch + Hex4(compareAddress_ + static_cast<std::uint32_t>(i)));
        return;
    }
    compareAddress_ += kBlockBytes;
    percent_ = static_cast<int>(compareAddress_ / kPercentDivisor);
    Q_EMIT progressChanged(percent_);
    if (compareAddress_ < kEndAddress) sendRead();
    else end(Result::Identical, fia_text::kIdentical);
}

} // namespace vm
