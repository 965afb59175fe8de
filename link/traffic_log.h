#pragma once
// The one place link code reports traffic to. Lines are built by the callers;
// whoever listens (the log window, the CLI) decides what to do with them.
#include <QObject>
#include <QString>

namespace vm {

class TrafficLog : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Hands the line on unless the log is offline. Must stay cheap: the
    // transmit queue calls it while holding its lock.
    void LogLine(const QString& text, quint32 colour) {
        if (!offline_) Q_EMIT line(text, colour);
    }
    bool offline() const { return offline_; }
    void setOffline(bool offline) { offline_ = offline; }
    void toggleOffline() { offline_ = !offline_; }

Q_SIGNALS:
    void line(const QString& text, quint32 colour);

private:
    bool offline_ = false;
};

} // namespace vm
