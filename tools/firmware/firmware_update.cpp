#include "tools/firmware/firmware_update.h"

#include "link/usb_thread.h"

#include <QFile>
#include <array>

namespace vm {

bool UsbRawLink::RouteRaw(bool on) { return link_.SetRoute(on ? 1 : 0); }

void UsbRawLink::SendRaw(const std::uint8_t* bytes, int count) { link_.EnqueueRaw(bytes, count); }

QString firmware_text::UnexpectedByte(std::uint8_t byte) {
    return QStringLiteral("Unexpected byte 0x%1 from the bootloader")
        .arg(QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0')));
}

QString LoadErrorText(const QString& path, const ErrorMsg& error) {
    const QString text = QString::fromStdString(error.Message());
    if (error.line() > 0) return QStringLiteral("%1:%2: %3").arg(path).arg(error.line()).arg(text);
    return QStringLiteral("%1: %2").arg(path, text);
}

std::unique_ptr<HEXFile> LoadFirmwareImage(const QString& path, QString* error) {
    try {
        auto image = std::make_unique<HEXFile>(HEXFile::kFirmwareSize, HEXFile::kFirmwareFill);
        image->Load(QFile::encodeName(path).toStdString());
        return image;
    } catch (const ErrorMsg& e) {
        if (error) *error = LoadErrorText(path, e);
    }
    return nullptr;
}

FirmwareUpdate::FirmwareUpdate(RawLink& link, QObject* parent) : QObject(parent), link_(link) {
    byteTimer_.setSingleShot(true);
    connect(&byteTimer_, &QTimer::timeout, this, &FirmwareUpdate::TimerByteTimer);
    linkOpen_ = link_.RouteRaw(true);
}

FirmwareUpdate::~FirmwareUpdate() { link_.RouteRaw(false); }

bool FirmwareUpdate::Program(const QString& path, QString* text) {
    if (path.isEmpty()) {
        if (text) *text = firmware_text::kNoFileSelected;
        return false;
    }
    QString error;
    std::unique_ptr<HEXFile> image = LoadFirmwareImage(path, &error);
    if (!image) {
        // Whatever was armed before stays unsent.
        byteTimer_.stop();
        setState(State::Idle);
        if (text) *text = error;
        return false;
    }
    Arm(std::move(image));
    if (text) *text = firmware_text::kRebootToStart;
    return true;
}

void FirmwareUpdate::Arm(std::unique_ptr<HEXFile> image) {
    image_ = std::move(image);
    // The bootloader ignores the low address byte: start on a block boundary.
    start_ = image_->lowAddress() & ~static_cast<std::uint32_t>(kBlockSize - 1);
    end_ = image_->highAddress();
    sent_ = 0;
    blockSize_ = 0; // until this bootloader says 'T'
    setProgress(0);
    setState(State::WaitingForPrompt);
    if (promptTimeoutMs_ > 0) byteTimer_.start(promptTimeoutMs_);
    else byteTimer_.stop();
}

void FirmwareUpdate::ReceiveBytes(const QByteArray& bytes) {
    for (char c : bytes) ByteReceived(static_cast<std::uint8_t>(c));
}

void FirmwareUpdate::ByteReceived(std::uint8_t byte) {
    switch (state_) {
    case State::Idle: return;
    case State::WaitingForPrompt:
        if (byte != kPrompt) return;
        setState(State::PromptAnswered);
        link_.SendRaw(&kPromptAnswer, 1);
        byteTimer_.start(kByteTimeoutMs);
        return;
    case State::PromptAnswered:
        if (byte == kBlockSizeByte) {
            blockSize_ = kBlockSize;
            byteTimer_.start(kByteTimeoutMs);
        } else if (byte == kNextBlock) {
            if (blockSize_ == 0) return fail(firmware_text::kNoBlockSize);
            setProgress(0);
            setState(State::Sending);
            sendBlock();
        }
        return; // anything else is the bootloader talking to itself
    case State::Sending:
        if (byte == kAbort) return fail(firmware_text::kAborted);
        if (byte != kNextBlock) return fail(firmware_text::UnexpectedByte(byte));
        if (start_ + sent_ > end_) {
            static constexpr std::array<std::uint8_t, 2> kEnd = {0xFF, 0xFF};
            link_.SendRaw(kEnd.data(), static_cast<int>(kEnd.size()));
            byteTimer_.stop();
            setState(State::Idle);
            setProgress(100);
            Q_EMIT finished(true, firmware_text::kUpdated);
            return;
        }
        sendBlock();
        return;
    }
}

void FirmwareUpdate::sendBlock() {
    const std::uint32_t address = start_ + sent_;
    if (address >= static_cast<std::uint32_t>(image_->size())) return fail(firmware_text::kOutsideImage);
    const std::uint32_t total = end_ - start_ + 1;
    setProgress(static_cast<int>(std::min<std::uint64_t>(100, std::uint64_t(sent_) * 100 / total)));

    std::array<std::uint8_t, 2 + kBlockSize + 1> block{};
    block[0] = static_cast<std::uint8_t>(address >> 16);
    block[1] = static_cast<std::uint8_t>(address >> 8);
    std::uint8_t sum = 0;
    for (int i = 0; i < blockSize_; ++i) {
        // Past the image's end the block is padded as erased memory reads.
        const std::uint32_t at = address + static_cast<std::uint32_t>(i);
        const std::uint8_t b = at < static_cast<std::uint32_t>(image_->size())
                                   ? image_->GetByte(static_cast<std::int32_t>(at))
                                   : HEXFile::kFirmwareFill;
        block[static_cast<std::size_t>(2 + i)] = b;
        sum = static_cast<std::uint8_t>(sum + b);
    }
    block[static_cast<std::size_t>(2 + blockSize_)] = sum;
    link_.SendRaw(block.data(), blockSize_ + 3);
    sent_ += static_cast<std::uint32_t>(blockSize_);
    byteTimer_.start(kByteTimeoutMs);
}

void FirmwareUpdate::OnDeviceLost() {
    if (busy()) fail(firmware_text::kDisconnected);
}

void FirmwareUpdate::TimerByteTimer() {
    byteTimer_.stop();
    if (busy()) fail(firmware_text::kNoAnswer);
}

void FirmwareUpdate::fail(const QString& text) {
    byteTimer_.stop();
    setState(State::Idle);
    Q_EMIT finished(false, text);
}

void FirmwareUpdate::setProgress(int percent) {
    if (percent == progress_) return;
    progress_ = percent;
    Q_EMIT progressChanged(percent);
}

void FirmwareUpdate::setState(State state) { state_ = state; }

} // namespace vm
