#pragma once
// The process's one tracker: created at start-up from a TrackerConfig, released at shutdown.
#include <memory>

#include "statistics/kv_tracker.h"

namespace tracking::korvel {

// Builds and initialises the tracker and installs it (also when its set-up failed: it then
// records nothing). A tracker already installed is released first.
void createTracker(const TrackerConfig& config);
// Empties the holder; the last reference runs the release (upload, then staging of the rest).
void releaseTracker();
// The installed tracker, or null before createTracker and after releaseTracker.
std::shared_ptr<KvTracker> currentTracker();

}  // namespace tracking::korvel
