#pragma once
// The simulated unit as a link port, with no terminal and no thread of its own:
// it lives on the link's worker thread. Requests reach the unit when their
// last byte would have crossed a 38400-baud line; each answer frame comes back
// when its own last byte would have. One timer serves all of it, so an idle
// port costs nothing.
#include "link/link_port.h"

#include <QTimer>
#include <deque>
#include <memory>

namespace vm::sim {

class SimDevice;

class SimLinkPort : public LinkPort {
    Q_OBJECT
public:
    using Nanos = qint64;
    static constexpr Nanos kByteTime = (10'000'000'000LL + 19'200) / 38'400; // 10 bits, rounded
    // Bytes a write may run ahead of the line before it waits, as in an
    // adapter's buffer; beyond it the link waits for the line as on a real one.
    static constexpr qint64 kBufferBytes = 256;

    SimLinkPort(std::shared_ptr<SimDevice> device, QString name);

    bool open() override;
    void close() override;
    qint64 write(const char* data, qint64 size) override;
    QByteArray readAll() override;
    qint64 bytesToWrite() const override { return unreported_; }
    QString errorString() const override { return error_; }
    QString name() const override { return name_; }

    // The timer's handler: moves everything that is due.
    void onTimer();

private:
    struct Accepted {
        qint64 size;
        Nanos at; // reported as written: room in the buffer
    };
    struct OnWire {
        QByteArray bytes;
        Nanos done; // last byte across
    };
    void clear();
    void arm();

    std::shared_ptr<SimDevice> device_;
    QString name_;
    QString error_;
    QTimer timer_;
    bool open_ = false;
    bool paced_ = true;
    Nanos replyDelay_ = 0;

    std::deque<Accepted> accepted_; // written, bytesWritten still to come
    qint64 unreported_ = 0;
    std::deque<OnWire> toUnit_;
    std::deque<OnWire> toTool_;
    Nanos toUnitFree_ = 0; // when the line to the unit is next idle
    Nanos toToolFree_ = 0;
    QByteArray received_; // arrived, not read yet
};

} // namespace vm::sim
