#pragma once
// The one place link code reports traffic to. Whoever listens (the log window,
// the command line) decides what to do with the lines. While nobody looks
// (the log window hidden), lines are kept unformatted in a bounded ring and
// formatted only when a view asks for them.
#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QString>
#include <deque>

namespace vm {

class TrafficLog : public QObject {
    Q_OBJECT
public:
    // Lines kept while nobody looks; the window holds as many.
    static constexpr std::size_t kHeldLines = 5000;

    using QObject::QObject;

    // Hands the line on unless the log is offline. Must stay cheap: the
    // transmit queue calls it while holding its lock.
    void LogLine(const QString& text, quint32 colour);
    // A frame queued for sending: "-> Tx;add to Tx buffer:  192 4 ..." when
    // someone looks, otherwise just its bytes.
    void LogTxFrame(const std::uint8_t* frame, int length);

    bool offline() const { return offline_; }
    void setOffline(bool offline) { offline_ = offline; }
    void toggleOffline() { offline_ = !offline_; }

    // A view shows the lines as they come (the default, as for the command
    // line). Turning it on hands over what was held, oldest first.
    void setWatched(bool watched);
    bool watched() const { return watched_; }
    bool showing() const;
    std::size_t held() const;

    static QString TxTraceLine(const std::uint8_t* frame, int length);

Q_SIGNALS:
    void line(const QString& text, quint32 colour);

private:
    struct Held {
        QString text;     // empty for a transmitted frame
        QByteArray frame; // the frame's bytes otherwise
        quint32 colour = 0;
    };
    void hold(Held entry);

    bool offline_ = false;
    bool watched_ = true;
    mutable QMutex heldLock_;
    std::deque<Held> held_;
};

} // namespace vm
