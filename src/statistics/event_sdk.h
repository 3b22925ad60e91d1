#pragma once
// The event SDK: one process-wide instance that turns events and profile changes into JSON
// records, keeps them in a bounded queue backed by a staging file, and uploads them in batches.
// Every operation but Init does nothing while there is no instance.
#include <cstddef>
#include <string>

#include "statistics/event_sdk_values.h"

namespace event_sdk {

inline constexpr std::size_t kQueueCapacity = 1024;
inline constexpr std::size_t kBatchSize = 30;

// Creates the instance (once; a later call changes nothing). False when the distinct id fails
// its check.
bool Init(const std::string& stagingPath, const std::string& serverUrl, const std::string& distinctId, bool isLoginId);
// Persists what is still queued into the staging file and frees the instance. An upload running
// on another thread is finished first (at most one batch's timeout); no upload starts after it.
void Shutdown();
bool HasInstance();

bool track(const std::string& event, const PropertiesNode& properties);
bool trackFirstLaunch(const PropertiesNode& properties);
bool trackSignup(const std::string& loginId);
bool profileSet(const PropertiesNode& properties);
bool profileSetOnce(const PropertiesNode& properties);
bool profileIncrement(const PropertiesNode& properties);
bool profileAppend(const PropertiesNode& properties);
void mergeCommonProperties(const PropertiesNode& properties);

// Uploads everything queued (after loading the staging file once). True when the queue is empty
// at the end; false at the first refused batch.
bool flushQueue();

// Whether the last upload was accepted (false before any).
bool lastSendOk();

// The number of queued records (for tests and the tracker's decisions).
std::size_t QueuedRecords();

}  // namespace event_sdk
