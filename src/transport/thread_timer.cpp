#include "transport/thread_timer.h"

#include "transport/exceptions.h"

#include <QAbstractEventDispatcher>
#include <QTimer>
#include <QtGlobal>

#include <climits>

namespace kestrix {

TThreadTimer::TThreadTimer() : timer_(std::make_unique<QTimer>())
{
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { tick(); });
}

TThreadTimer::~TThreadTimer()
{
    enabled_ = false;
    timer_->stop();
}

void TThreadTimer::setEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    updateTimer();
}

void TThreadTimer::setInterval(unsigned milliseconds)
{
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    updateTimer();
}

void TThreadTimer::setOnTimer(TNotifyEvent handler)
{
    onTimer_ = std::move(handler);
    updateTimer();
}

void TThreadTimer::updateTimer()
{
    timer_->stop();
    if (interval_ == 0 || !enabled_ || !onTimer_)
        return;
    if (!QAbstractEventDispatcher::instance())
        throw Exception("No Timer");
    timer_->start(int(qMin<unsigned>(interval_, INT_MAX)));
}

void TThreadTimer::tick()
{
    if (!onTimer_)
        return;
    // A failing handler must not unwind through the event loop.
    try {
        onTimer_(this);
    } catch (const std::exception &e) {
        qWarning("timer handler failed: %s", e.what());
    } catch (...) {
        qWarning("timer handler failed");
    }
}

}  // namespace kestrix
