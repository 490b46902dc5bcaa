#pragma once
// Inside the socket session (powersock*.cpp only): the mark of a running blocking operation.

#include "transport/powersock.h"

#include <QSocketNotifier>
#include <QTimer>

namespace kestrix {

// The longest a waiting loop blocks before it looks at its conditions again.
inline constexpr int kHeartbeatMs = 50;

// While an operation runs, the socket's readiness belongs to its waiting loop; outside, the
// read notifier watches for the peer's close.
class TPowersock::OperationScope {
public:
    explicit OperationScope(TPowersock &session) : session_(session) { ++session_.operationDepth_; }
    ~OperationScope()
    {
        if (--session_.operationDepth_ == 0) {
            session_.heartbeat_->stop();
            session_.updateIdleWatch();
        }
    }
    OperationScope(const OperationScope &) = delete;
    OperationScope &operator=(const OperationScope &) = delete;

private:
    TPowersock &session_;
};

}  // namespace kestrix
