#pragma once
// The port seam: what the link thread needs of a device, be it a serial port or
// something in this process. A port is made and used on the link's worker
// thread and signals from there.
#include <QByteArray>
#include <QObject>
#include <QString>

namespace vm {

class LinkPort : public QObject {
    Q_OBJECT
public:
    // Opens at 38400 baud 8N1 with nothing left over from before; false with
    // errorString() saying why.
    virtual bool open() = 0;
    virtual void close() = 0;
    // Takes bytes for sending: the count taken, or -1.
    virtual qint64 write(const char* data, qint64 size) = 0;
    virtual QByteArray readAll() = 0;
    // Bytes taken by write() that have not gone out yet.
    virtual qint64 bytesToWrite() const = 0;
    virtual QString errorString() const = 0;
    // What the port is called in messages: its path, or its description.
    virtual QString name() const = 0;
    // Paused, the port leaves what arrives in the device (at most a byte read
    // ahead) so the link thread is not woken for it; resumed, it reads again.
    virtual void setReadPaused(bool paused) { (void)paused; }
    // Reads what the device holds now, without waiting; readyRead follows if any.
    virtual void readWaiting() {}

Q_SIGNALS:
    void readyRead();
    void bytesWritten(qint64 bytes);
    // The device is gone. May repeat until the port is closed.
    void deviceLost(const QString& reason);
    // Any other trouble; the port stays usable. writeFailed: a write did not go out.
    void errorOccurred(const QString& reason, bool writeFailed);
};

} // namespace vm
