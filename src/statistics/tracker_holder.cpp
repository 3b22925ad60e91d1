#include "statistics/tracker_holder.h"

#include <mutex>

#include "statistics/kv_tracker_impl.h"
#include "statistics/kv_tracker_wrapper.h"

namespace tracking::korvel {
namespace {

std::mutex g_holderLock;
std::shared_ptr<KvTrackerWrapper> g_holder;

}  // namespace

void createTracker(const TrackerConfig& config) {
    releaseTracker();
    auto tracker = std::make_unique<KvTrackerImpl>(config);
    try {
        tracker->init();
    } catch (...) {
        // Installed all the same: its events then record nothing, and nobody is told.
    }
    auto wrapper = std::make_shared<KvTrackerWrapper>(std::move(tracker));
    std::lock_guard<std::mutex> lock(g_holderLock);
    g_holder = std::move(wrapper);
}

void releaseTracker() {
    std::shared_ptr<KvTrackerWrapper> last;
    {
        std::lock_guard<std::mutex> lock(g_holderLock);
        last = std::move(g_holder);
    }
    // The release runs here, outside the lock, unless a report still holds the tracker.
}

std::shared_ptr<KvTracker> currentTracker() {
    std::lock_guard<std::mutex> lock(g_holderLock);
    return g_holder;
}

}  // namespace tracking::korvel
