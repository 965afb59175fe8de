#pragma once
// The program lives as long as its main window. Other top-level windows (the
// traffic log) must not keep it running, or the link would go on polling the
// unit with no main window left.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace vm {

namespace detail {
class QuitWhenClosedFilter : public QObject {
public:
    explicit QuitWhenClosedFilter(QWidget& window) : QObject(&window), window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        // closeEvent may still refuse: look once it has run.
        if (watched == &window_ && event->type() == QEvent::Close)
            QTimer::singleShot(0, this, [this] {
                if (!window_.isVisible()) QCoreApplication::quit();
            });
        return false;
    }

private:
    QWidget& window_;
};
} // namespace detail

// Ends the event loop once window has closed, whatever else is still open.
inline void QuitWhenClosed(QWidget& window) {
    window.installEventFilter(new detail::QuitWhenClosedFilter(window)); // owned by window
}

} // namespace vm
