#include "tools/eeprom/eeprom_transfer.h"

#include "protocol/message_catalogue.h"
#include "session/unit_session.h"

#include <algorithm>

namespace vm {

LinkPacket EepromReadRequest(int address) {
    return LinkPacket::make(
        kGroupService, msg::EEPROM_READ,
        {kEepromBlock, static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(address >> 8)});
}

LinkPacket EepromWriteRequest(int address, const std::uint8_t* bytes) {
    std::uint8_t payload[3 + kEepromBlock] = {kEepromBlock, static_cast<std::uint8_t>(address),
                                              static_cast<std::uint8_t>(address >> 8)};
    std::copy_n(bytes, kEepromBlock, payload + 3);
    return LinkPacket::make(kGroupService, msg::EEPROM_WRITE, payload, static_cast<int>(sizeof payload));
}

EepromTransfer::EepromTransfer(UnitSession& unit, EepromImage& image, QObject* parent)
    : QObject(parent), unit_(unit), image_(image), guard_(unit) {
    timer_.setSingleShot(true);
    timer_.setInterval(kReplyMs);
    connect(&timer_, &QTimer::timeout, this, &EepromTransfer::ReadWriteTimerTimer);
    guard_.paused = [this] { timer_.stop(); };
    guard_.resend = [this] { sendCurrent(); };
    guard_.resumed = [this] { timer_.start(); };
    guard_.gaveUp = [this] {
        timer_.stop();
        const Mode was = mode_;
        mode_ = Mode::Idle;
        QString held;
        if (was == Mode::Writing) {
            held = current_ > start_
                       ? QStringLiteral("the unit holds the new bytes of %1..%2 (blocks 1-%3 of %4); "
                                        "from %5 on it holds what it had. Write again.")
                             .arg(AddressText(start_), AddressText(current_ - 1))
                             .arg(blocksDone())
                             .arg((end_ - start_) / kEepromBlock)
                             .arg(AddressText(current_))
                       : QStringLiteral("the unit holds what it had. Write again.");
        } else {
            held = QStringLiteral("%1..%2 were read. Read again.")
                       .arg(AddressText(start_), AddressText(current_));
        }
        Q_EMIT failed(
            QStringLiteral("USB DISCONNECTED during the EEPROM %1: %2")
                .arg(was == Mode::Writing ? QStringLiteral("write") : QStringLiteral("read"), held));
    };
}

int EepromTransfer::progress() const {
    if (end_ <= start_) return 0;
    return std::clamp((current_ - start_) * 100 / (end_ - start_), 0, 100);
}

void EepromTransfer::begin(Mode mode, const EepromRange& range) {
    mode_ = mode;
    start_ = current_ = range.start;
    end_ = range.end;
    guard_.arm();
    Q_EMIT progressChanged(0);
    sendCurrent();
}

std::optional<QString> EepromTransfer::StartRead(const EepromRange& range) {
    begin(Mode::Reading, range);
    return std::nullopt;
}

std::optional<QString> EepromTransfer::StartWrite(const EepromRange& range) {
    const EepromImage::Bytes bytes = image_.BytesOf(range.start, range.end);
    if (bytes.badAddress)
        return QStringLiteral("The cell at %1 is not a hex byte: nothing was written")
            .arg(AddressText(*bytes.badAddress));
    toWrite_ = bytes.bytes;
    begin(Mode::Writing, range);
    return std::nullopt;
}

void EepromTransfer::sendCurrent() {
    if (mode_ == Mode::Reading) {
        unit_.Send(EepromReadRequest(current_));
    } else if (mode_ == Mode::Writing) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(toWrite_.constData()) + (current_ - start_);
        unit_.Send(EepromWriteRequest(current_, bytes));
    }
    if (!guard_.down()) timer_.start();
}

void EepromTransfer::ReadWriteTimerTimer() {
    timer_.stop();
    // The mode stays: an answer that comes late still moves the transfer on.
    Q_EMIT failed(QString::fromLatin1(kPowerUpText));
}

void EepromTransfer::advance() {
    current_ += kEepromBlock;
    Q_EMIT progressChanged(progress());
    if (current_ >= end_) {
        const Mode was = mode_;
        mode_ = Mode::Idle;
        timer_.stop();
        guard_.disarm();
        Q_EMIT finished(was);
        return;
    }
    sendCurrent();
}

void EepromTransfer::ReceivePacket(const LinkPacket& p) {
    if (CheckAnswer(p, kGroupService, msg::EEPROM_DATA, kDataLength) == Answer::Ok) {
        const int address = p.at(5) | (p.at(6) << 8);
        if (address % kEepromBlock != 0 || address + kEepromBlock > kEepromBytes) return;
        // Only the block asked for is taken: a stray or late one would overwrite the grid's edits.
        if (mode_ != Mode::Reading || address != current_) return;
        image_.setBytes(address, &p.bytes[7], kEepromBlock);
        advance();
        return;
    }
    if (mode_ == Mode::Writing &&
        CheckAnswer(p, kGroupService, msg::EEPROM_WRITE_DONE, kMinPacketLength) == Answer::Ok) {
        // An answer naming another block (a repeat of the one before) confirms nothing.
        if (p.length() >= 7 && (p.at(5) | (p.at(6) << 8)) != current_) return;
        advance();
    }
}

} // namespace vm
