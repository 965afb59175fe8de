#pragma once
// The link port over a serial device node (a USB adapter or a pseudo-terminal).
#include "link/link_port.h"

#include <QSerialPort>

namespace vm {

class SerialLinkPort : public LinkPort {
    Q_OBJECT
public:
    // What the port reads ahead of the link thread, at most.
    static constexpr qint64 kReadBufferBytes = 4096;

    explicit SerialLinkPort(QString path);

    bool open() override;
    void close() override { port_.close(); }
    qint64 write(const char* data, qint64 size) override { return port_.write(data, size); }
    QByteArray readAll() override { return port_.readAll(); }
    qint64 bytesToWrite() const override { return port_.bytesToWrite(); }
    QString errorString() const override { return port_.errorString(); }
    QString name() const override { return path_; }
    // A full read buffer stops the port's read notifier; reading starts it again.
    void setReadPaused(bool paused) override;
    void readWaiting() override;

private:
    void onError(QSerialPort::SerialPortError error);

    QString path_;
    QSerialPort port_;
};

} // namespace vm
