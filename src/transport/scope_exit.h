#pragma once
// Runs a step when a scope ends, normally or by an exception: the one clean-up form of the
// transport (timers off, busy marks cleared, sockets closed). When the scope ends normally a
// failure of the step goes on to the caller; while an exception already leaves the scope, the
// step's own failure is dropped so that the first one reaches the caller.

#include <exception>
#include <utility>

namespace kestrix {

template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F step) : step_(std::move(step)), pending_(std::uncaught_exceptions()) {}
    ~ScopeExit() noexcept(false)
    {
        if (std::uncaught_exceptions() == pending_) {
            step_();
            return;
        }
        try {
            step_();
        } catch (...) {
        }
    }
    ScopeExit(const ScopeExit &) = delete;
    ScopeExit &operator=(const ScopeExit &) = delete;

private:
    F step_;
    int pending_;
};

}  // namespace kestrix
