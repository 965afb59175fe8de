#pragma once
// Runs the event loop, sleeping between events, until pred holds or ms pass.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

template <class Pred> bool waitFor(Pred pred, int ms = 2000) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms) return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}
