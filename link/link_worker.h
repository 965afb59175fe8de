#pragma once
// The half of the link that lives on the worker thread and owns the port.
#include "link/link_port.h"
#include "protocol/tx_queue.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace vm {

class UsbThread;

class LinkWorker : public QObject {
    Q_OBJECT
public:
    explicit LinkWorker(UsbThread* owner) : owner_(owner) {}

    // All of these run on the worker thread.
    void init();
    bool open(const QString& description);
    void close();
    void shutdown();
    void kicked();
    // Starts the hold (worker thread); ends it at once when ms is 0.
    void hold(int ms);
    void endHold();
    bool holding() const { return readPaused_; }
    bool draining() const { return draining_; }
    QString description() const { return description_; }
    QString lastError() const { return lastError_; }

Q_SIGNALS:
    void lost();
    void reopened();

private:
    bool openPort(const QString& description);
    void closePort();
    void pump();
    void onReadyRead();
    void onBytesWritten();
    void onDeviceLost(const QString& reason);
    void onError(const QString& reason, bool writeFailed);
    void onLost();
    void reconnectTick();

    UsbThread* owner_;
    std::unique_ptr<LinkPort> port_;
    std::unique_ptr<QTimer> reconnectTimer_;
    std::unique_ptr<QTimer> retryTimer_;
    std::unique_ptr<QTimer> holdTimer_;
    QString description_;
    QString lastError_;
    bool writing_ = false;            // a frame is on its way out
    bool draining_ = false;           // endHold() is reading what waited
    bool readPaused_ = false;         // held: the port's reading rests until endHold()
    bool lossPending_ = false;        // the first read error was seen; close follows
    std::uint64_t partialTicket_ = 0; // the frame the port took part of, if any
    int partialSent_ = 0;
};

} // namespace vm
