#pragma once
// The tracker: one operation per kind of usage event, over the event SDK. The process holds one
// tracker (see tracker_holder.h); its operations may be called from any thread.
#include <memory>
#include <string>

#include "statistics/kv_context_properties.h"
#include "statistics/kv_types.h"

namespace tracking::korvel {

// The tracker's local log file. The installer only creates it (a tracker without one was not set
// up); nothing is written to it.
class TrackLogger {
public:
    virtual ~TrackLogger() = default;
};

struct TrackerConfig {
    std::string appName;     // required
    std::string appVersion;  // required
    std::string appStore;    // required
    std::string dlappId;
    std::string dlappVersion;
    std::string logPath;  // empty: "<tracker folder><appName>_KVSLog.txt"
    KvEdition edition = KvEdition::china;
    std::string serverUrl;  // empty: the vendor's statistics server
};

class KvTracker {
public:
    virtual ~KvTracker() = default;
    virtual void trackActivity(const KvContextProperties& context) = 0;
    virtual void trackLaunch(const KvContextProperties& context) = 0;
    virtual void trackLogin(const KvUserInfo& user, bool success, const std::string& reason,
                            const KvContextProperties& context) = 0;
    virtual void trackClick(const KvEventClick& event, const KvContextProperties& context) = 0;
    virtual void trackView(const KvEventView& event, const KvContextProperties& context) = 0;
    virtual void trackCashier(const KvEventCashier& event, const KvContextProperties& context) = 0;
    virtual void trackShare(const KvEventShare& event, const KvContextProperties& context) = 0;
    virtual void trackTask(const KvEventTask& event, const KvContextProperties& context) = 0;
    virtual void trackFile(const KvEventFile& event, const KvContextProperties& context) = 0;
    virtual void trackOrder(const KvEventOrder& event, const KvContextProperties& context) = 0;
    virtual void trackPayment(const KvEventPayment& event, const KvContextProperties& context) = 0;
    virtual void trackUninstall(const std::string& reason, const KvContextProperties& context) = 0;
    virtual void trackCrash(const std::string& reason) = 0;
    virtual void trackUpdate(const KvEventUpdate& event, const KvContextProperties& context) = 0;
    virtual void trackAppOpenNotification(const KvAppOpenNotification* notification,
                                          const KvContextProperties& context) = 0;
    virtual void setLocale(const std::string& locale) = 0;
    virtual std::string primaryDistinctId() = 0;
    virtual TrackLogger* logger() = 0;
};

}  // namespace tracking::korvel
