#pragma once
// Waiting in GUI tests for something the event loop brings about (a timer's tick, an answer on a socket).

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <functional>

// Lets events through, sleeping until they come, until done() holds. False when it still does not after
// 30 s: a safety net for a fault, never what a test measures.
inline bool processEventsUntil(const std::function<bool()>& done) {
    QDeadlineTimer safety(30000);
    QTimer wake; // the deadline is looked at even when nothing else happens
    wake.start(100);
    while (!done()) {
        if (safety.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}
