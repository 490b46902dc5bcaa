#pragma once
// TThreadTimer: the session's time-out timer. It ticks only while the thread's event loop runs
// (the waiting loops of the session run it). Setting Enabled or Interval to the value it
// already has does nothing, so a running countdown is not restarted by that.
//
// The session switches it on and off around every line it reads. Rather than registering and
// unregistering a system timer each time, a switch on only notes when the countdown started:
// the system timer stays armed, and when it fires early (the countdown was restarted since) it
// is armed again for the time left. Switched off, the next firing finds it off and stops.

#include <chrono>
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
    // Starts the countdown afresh: stops the system timer and starts it again when it should
    // run; raises "No Timer" when there is no event loop to deliver the ticks.
    void updateTimer();
    // Arms the system timer for milliseconds from now.
    void arm(long long milliseconds);
    void tick();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    std::chrono::steady_clock::time_point started_;
    TNotifyEvent onTimer_;
    std::unique_ptr<QTimer> timer_;
};

}  // namespace kestrix
