#pragma once
// Reads and writes a range of the EEPROM in 16-byte blocks, each request sent
// when the answer to the one before arrived, with a 1000 ms reply timer.
#include "session/service_windows.h"
#include "tools/eeprom/eeprom_image.h"
#include "tools/service_answer.h"

#include <QObject>
#include <QTimer>
#include <optional>

namespace vm {

class UnitSession;

inline constexpr const char* kPowerUpText = "Please power up the Target and try again";

// EEPROM_READ and EEPROM_WRITE for a block.
LinkPacket EepromReadRequest(int address);
LinkPacket EepromWriteRequest(int address, const std::uint8_t* bytes);

class EepromTransfer : public QObject, public PacketReceiver {
    Q_OBJECT
public:
    enum class Mode { Idle = 0, Reading = 1, Writing = 2 };
    static constexpr int kReplyMs = 1000;
    static constexpr int kDataLength = 23; // EEPROM_DATA: up to the last data byte

    EepromTransfer(UnitSession& unit, EepromImage& image, QObject* parent = nullptr);

    // Start a transfer of a checked range; a write first checks every cell of
    // it. Refused: the message, and nothing is sent.
    std::optional<QString> StartRead(const EepromRange& range);
    std::optional<QString> StartWrite(const EepromRange& range);
    void ReadWriteTimerTimer();
    void ReceivePacket(const LinkPacket& packet) override;

    Mode mode() const { return mode_; }
    int current() const { return current_; }
    int end() const { return end_; }
    int start() const { return start_; }
    // 0..100 of the range done.
    int progress() const;
    // Blocks acknowledged so far of the running (or last) write, from its start.
    int blocksDone() const { return (current_ - start_) / kEepromBlock; }
    bool waiting() const { return timer_.isActive(); }
    QTimer& timer() { return timer_; }
    LossGuard& lossGuard() { return guard_; }

Q_SIGNALS:
    void progressChanged(int percent);
    void finished(Mode mode); // the range is done
    // No answer in time ("Please power up ..."), or the device stayed away;
    // the buttons are usable again.
    void failed(const QString& message);

private:
    void begin(Mode mode, const EepromRange& range);
    void sendCurrent();
    void advance();

    UnitSession& unit_;
    EepromImage& image_;
    LossGuard guard_;
    QTimer timer_;
    QByteArray toWrite_; // the range's bytes, taken when the write started
    Mode mode_ = Mode::Idle;
    int start_ = 0;
    int current_ = 0;
    int end_ = 0;
};

} // namespace vm
