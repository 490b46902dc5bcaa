#include "transport/thread_timer.h"

#include "transport/exceptions.h"

#include <QAbstractEventDispatcher>
#include <QTimer>
#include <QtGlobal>

#include <algorithm>
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
    if (!enabled)
        return;  // the armed system timer finds the countdown off when it fires
    if (interval_ == 0 || !onTimer_)
        return;
    started_ = std::chrono::steady_clock::now();
    if (!timer_->isActive())
        arm(interval_);
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
    started_ = std::chrono::steady_clock::now();
    arm(interval_);
}

void TThreadTimer::arm(long long milliseconds)
{
    if (!QAbstractEventDispatcher::instance())
        throw Exception("No Timer");
    timer_->start(int(std::clamp<long long>(milliseconds, 1, INT_MAX)));
}

void TThreadTimer::tick()
{
    if (interval_ == 0 || !enabled_ || !onTimer_) {
        timer_->stop();
        return;
    }
    // Restarted since the system timer was armed: wait for the time left.
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started_);
    if (elapsed.count() < (long long)interval_) {
        arm((long long)interval_ - elapsed.count());
        return;
    }
    // Ticks again after another interval unless the handler switches it off.
    started_ = std::chrono::steady_clock::now();
    arm(interval_);
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
