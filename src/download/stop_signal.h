#pragma once
// A stop request that wakes up pauses at once, so that destroying a downloader never waits out
// a retry pause.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace download {

class StopSignal {
public:
    void Request() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requested_ = true;
        }
        changed_.notify_all();
    }
    bool Requested() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return requested_;
    }
    // Sleeps for `pause`; true when a stop was requested before or during it.
    bool WaitFor(std::chrono::milliseconds pause) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, pause, [this] { return requested_; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool requested_ = false;
};

// The pauses of the retry loops, scaled. Tests shrink them to check the retry budgets without
// waiting real seconds; the product never changes the scale.
std::chrono::milliseconds ScaledPause(int milliseconds);

namespace testing {
void SetPauseScale(double scale);
}  // namespace testing

}  // namespace download
