#pragma once
// Moves the whole configuration between the store and the unit as a chain of
// single exchanges: every answer stores its block (if it carries one), moves
// the transfer on and sends the next request. The workflow shows the wait
// (window or event loop) around a chain and reacts to its end.
#include "protocol/link_packet.h"

#include <QObject>
#include <QString>
#include <cstdint>

namespace vm {

class ConfigStore;
class UnitSession;

// The steps of a chain. The values are the ones the unit's tools have always
// used (and tests and logs name them by); 2 and 5 send nothing.
enum class TransferStep : std::uint8_t {
    Idle = 0,
    ReadInputsOutputs = 1, // inputs and outputs arrive unasked after the two read-all requests
    Unused = 2,
    WriteInputs = 3,
    WriteOutputs = 4,
    AwaitLowBatteryAck = 5,
    WriteCanRules = 6,
    ReadCanRules = 7,
    WriteVirtualInputs = 8,
    ReadVirtualInputs = 9,
    WriteStartButton = 10,
    ReadStartButton = 11,
    WritePwm = 12,
    ReadPwm = 13,
    WriteFlash = 14,
    ReadFlash = 15,
    ReadCanExport1 = 16,
    WriteCanExport1 = 17,
    ReadCanExports = 18,
    WriteCanExports = 19,
    ReadCanSettings = 20,
    WriteCanSettings = 21,
    ReadBoxName = 22,
    WriteBoxName = 23,
};

class ConfigTransfer : public QObject {
    Q_OBJECT
public:
    ConfigTransfer(UnitSession& unit, ConfigStore& store, QObject* parent = nullptr);

    // Read: asks for every input; the chain runs from the answers.
    void StartRead();
    // Upload: sends input 1 and goes on with every acknowledgement.
    void StartUpload();
    // Default settings: the unit answers FACTORY_RESET_DONE when it is done.
    void StartFactoryReset();
    // Sends the message of the current step.
    void ContinueTransfer();
    // Every configuration answer, whatever the step (a late one restarts the chain from its step).
    void OnConfigAnswer(const LinkPacket& packet);
    // "Cancel": the chain stops where it is. A late answer of a read may still
    // move it on; a cancelled upload stays stopped (its late acknowledgements are
    // ignored) until the next Start, so it cannot go on behind the user's back.
    void CancelTransfer();

    TransferStep step() const { return step_; }
    std::uint8_t state() const { return static_cast<std::uint8_t>(step_); }
    std::uint8_t position() const { return position_; }
    // Sends the block of the current step once more without moving on: the
    // link was lost with the block unanswered (every block is written whole,
    // so writing it twice is safe).
    void ResendCurrentBlock();
    // An upload step is current.
    bool uploading() const;
    // Blocks of the running upload the unit has acknowledged, of kUploadBlocks.
    int blocksAcknowledged() const { return acknowledged_; }
    static constexpr int kUploadBlocks = 106;

    // Puts the chain at a step, as a late answer would (tests, resuming).
    void SetStep(TransferStep step, std::uint8_t position);
    // Blocks stored since the last StartRead.
    int blocksApplied() const { return applied_; }

Q_SIGNALS:
    // The last block of a read or upload was answered.
    void chainEnded();
    // A block could not be packed (a CAN export text that is not a number):
    // the step is not sent and the chain waits.
    void packFailed(const QString& message);

private:
    void sendWrite(std::uint8_t command, int index);
    void sendRead(std::uint8_t command, int index = 0);
    void endChain();
    bool apply(const LinkPacket& packet);
    // The record index k + 1 of a record answer, unless k was the last one.
    bool advanceRecord(int k, int count, TransferStep next);

    UnitSession& unit_;
    ConfigStore& store_;
    TransferStep step_ = TransferStep::Idle;
    bool uploadCancelled_ = false;
    int acknowledged_ = 0;
    std::uint8_t position_ = 0; // block index of the current step
    int applied_ = 0;
};

} // namespace vm
