#pragma once
// TThreadTimer: the session's time-out timer. It ticks only while the thread's event loop runs
// (the waiting loops of the session run it). Setting Enabled or Interval to the value it
// already has does nothing, so a running countdown is not restarted by that.

#include <functional>
#include <memory>

class QTimer;

namespace kestrix {

class TThreadTimer {
public:
    using TNotifyEvent = std::function<void(TThreadTimer *sender)>;

    TThreadTimer();
    ~TThreadTimer();
    TThreadTimer(const TThreadTimer &) = delete;
    TThreadTimer &operator=(const TThreadTimer &) = delete;

    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    void setInterval(unsigned milliseconds);
    void setOnTimer(TNotifyEvent handler);

private:
    // Stops the system timer and starts it again when it should run; raises "No Timer" when
    // there is no event loop to deliver the ticks.
    void updateTimer();
    void tick();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    TNotifyEvent onTimer_;
    std::unique_ptr<QTimer> timer_;
};

}  // namespace kestrix
