#pragma once
// The runtime error log without its window: the count, then the entries one
// by one (each asked only when the one before arrived with the number asked),
// and the three service commands with their answer lines.
#include "session/service_windows.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>

namespace vm {

class UnitSession;

// The lines of one ERROR_LOG_ENTRY, the dashes first. The packet must be an
// entry at least kEntryHeaderLength long; data bytes are shown only as far as
// they arrived.
QStringList ErrorEntryLines(const LinkPacket& entry);

class ErrorLogLogic : public QObject, public PacketReceiver {
    Q_OBJECT
public:
    static constexpr int kEntryHeaderLength = 21; // up to and with the data length byte
    static constexpr int kCountLength = 5;
    static constexpr int kReplyMs = 1000; // for callers that wait (the command line)

    explicit ErrorLogLogic(UnitSession& unit, QObject* parent = nullptr);

    // FormActivate: asks for the count.
    void Start();
    void ResetLog();       // BtnResetLogClick
    void ResetSystemLog(); // BtnResetSystemLogClick
    void Reboot();         // BtnRebootClick
    void ReceivePacket(const LinkPacket& packet) override;

    int entryCount() const { return count_; }
    int entriesShown() const { return shown_; }
    int entryAsked() const { return asked_; } // 0 when none is outstanding
    bool countPending() const { return countPending_; }
    bool listing() const { return countPending_ || asked_ != 0; }

Q_SIGNALS:
    void lineAdded(const QString& line);
    void listingDone(); // every entry the count named has arrived
    void logReset();
    void systemLogReset();
    void rebooted();
    void shortAnswer(int command);

private:
    void askEntry(int number);
    void addLine(const QString& line) { Q_EMIT lineAdded(line); }

    UnitSession& unit_;
    int count_ = 0;
    int asked_ = 0;
    int shown_ = 0;
    bool countPending_ = false;
    bool resetPending_ = false;
    bool systemResetPending_ = false;
    bool rebootPending_ = false;
};

} // namespace vm
