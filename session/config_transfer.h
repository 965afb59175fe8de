#pragma once
// Moves the whole configuration between the store and the unit as a chain of
// single exchanges: every answer stores its block (if it carries one), moves
// the transfer state on and sends the next request. The window (or the command
// line) shows the wait window around a chain and reacts to its end.
#include "protocol/link_packet.h"

#include <QObject>
#include <QString>

namespace vm {

class ConfigStore;
class UnitSession;

class ConfigTransfer : public QObject {
    Q_OBJECT
public:
    // States that send nothing: 0 idle, 1 reading inputs and outputs, 2, 5.
    enum : std::uint8_t { Idle = 0, ReadingAll = 1, UploadInputs = 3, UploadOutputs = 4 };

    ConfigTransfer(UnitSession& unit, ConfigStore& store, QObject* parent = nullptr);

    // Read: asks for every input; the chain runs from the answers.
    void StartRead();
    // Upload: sends input 1 and goes on with every acknowledgement.
    void StartUpload();
    // Default settings: the unit answers FACTORY_RESET_DONE when it is done.
    void StartFactoryReset();
    // Sends the message of the current state.
    void ContinueTransfer();
    // Every configuration answer, whatever the state (a late one restarts the chain from its step).
    void OnConfigAnswer(const LinkPacket& packet);
    // "Cancel": the chain stops where it is; late answers may still move it.
    void CancelTransfer();

    std::uint8_t state() const;
    std::uint8_t position() const;
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
    void setStep(std::uint8_t state, std::uint8_t position);
    void endChain();
    bool apply(const LinkPacket& packet);

    UnitSession& unit_;
    ConfigStore& store_;
    int applied_ = 0;
};

} // namespace vm
