#include "link/serial_link_port.h"

#include <QSocketNotifier>

namespace vm {

SerialLinkPort::SerialLinkPort(QString path) : path_(std::move(path)) {
    port_.setPortName(path_);
    port_.setReadBufferSize(kReadBufferBytes); // unbounded by default
    connect(&port_, &QSerialPort::readyRead, this, &LinkPort::readyRead);
    connect(&port_, &QSerialPort::bytesWritten, this, &LinkPort::bytesWritten);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLinkPort::onError);
}

bool SerialLinkPort::open() {
    if (!port_.open(QIODevice::ReadWrite)) return false;
    port_.setBaudRate(38400);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.clear();
    return true;
}

void SerialLinkPort::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || !port_.isOpen()) return;
    // A hung-up port keeps reporting these while it stays open; the link closes it.
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) {
        Q_EMIT deviceLost(port_.errorString());
        return;
    }
    const QString reason = port_.errorString();
    port_.clearError();
    Q_EMIT errorOccurred(reason, error == QSerialPort::WriteError);
}

void SerialLinkPort::setReadPaused(bool paused) {
#ifdef Q_OS_UNIX
    port_.setReadBufferSize(paused ? 1 : kReadBufferBytes);
    // Its read notifier off, arriving bytes do not even wake the thread for the
    // one byte the small buffer would take; a read turns it on again.
    for (QSocketNotifier* notifier : port_.findChildren<QSocketNotifier*>())
        if (notifier->type() == QSocketNotifier::Read) notifier->setEnabled(!paused);
#else
    (void)paused; // elsewhere the port reads as it always does
#endif
}

void SerialLinkPort::readWaiting() {
#ifdef Q_OS_UNIX
    port_.waitForReadyRead(0);
#endif
}

} // namespace vm
