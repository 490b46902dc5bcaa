#pragma once
// Runs the event loop until a condition holds or a generous limit passes; never a fixed sleep.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>

namespace kestrix::test {

template <typename Condition>
bool runUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    QDeadlineTimer deadline(limit);
    QTimer wake;  // re-checks conditions that change without an event of their own
    wake.start(10);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace kestrix::test
