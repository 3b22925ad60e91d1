#pragma once
// The tracker over the event SDK: checks each event's record, records it with its context
// properties, updates the user profile after some kinds, and decides when queued records are
// uploaded. Its destructor is the release: it saves the identity, uploads what is pending and
// stages what could not be uploaded for the next run.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/file_ops.h"
#include "statistics/device_identity.h"
#include "statistics/kv_tracker.h"

namespace tracking::korvel {

// The log file: created empty when missing, kept open while the tracker lives.
class NativeTrackLogger : public TrackLogger {
public:
    explicit NativeTrackLogger(const std::string& path);

private:
    platform::UniqueFile file_;
};

struct TrackerContext : TrackerIdentity {
    std::string logPath;
    std::string localeOverride;  // set by setLocale
};

// The upload bookkeeping. Flush requests made before any upload succeeded run on threads of their
// own; those threads share this object, so it outlives the tracker while one of them still runs.
struct FlushState {
    // Work waiting for an upload; only its sign matters.
    std::atomic<int> pendingFlushes{0};
    // Set by the release: requests that have not begun leave the uploading to it.
    std::atomic<bool> releasing{false};

    std::mutex lock;
    std::condition_variable idle;
    int running = 0;  // flush threads not finished yet, guarded by `lock`
};

class KvTrackerImpl : public KvTracker {
public:
    explicit KvTrackerImpl(const TrackerConfig& config);
    ~KvTrackerImpl() override;

    // Checks the configuration, loads the identity, starts the SDK and sets the common properties.
    // Raises KvException; the tracker then records nothing.
    void init();

    void trackActivity(const KvContextProperties& context) override;
    void trackLaunch(const KvContextProperties& context) override;
    void trackLogin(const KvUserInfo& user, bool success, const std::string& reason,
                    const KvContextProperties& context) override;
    void trackClick(const KvEventClick& event, const KvContextProperties& context) override;
    void trackView(const KvEventView& event, const KvContextProperties& context) override;
    void trackCashier(const KvEventCashier& event, const KvContextProperties& context) override;
    void trackShare(const KvEventShare& event, const KvContextProperties& context) override;
    void trackTask(const KvEventTask& event, const KvContextProperties& context) override;
    void trackFile(const KvEventFile& event, const KvContextProperties& context) override;
    void trackOrder(const KvEventOrder& event, const KvContextProperties& context) override;
    void trackPayment(const KvEventPayment& event, const KvContextProperties& context) override;
    void trackUninstall(const std::string& reason, const KvContextProperties& context) override;
    void trackCrash(const std::string& reason) override;
    void trackUpdate(const KvEventUpdate& event, const KvContextProperties& context) override;
    void trackAppOpenNotification(const KvAppOpenNotification* notification,
                                  const KvContextProperties& context) override;
    void setLocale(const std::string& locale) override;
    std::string primaryDistinctId() override;
    TrackLogger* logger() override { return logger_.get(); }

    // User-profile updates: the key decides the operation (set once, increment or set); a key
    // outside the table, or a value its operation cannot take, raises KvException.
    void ProfileUserPropertyString(const std::string& key, const std::string& text);
    void ProfileUserPropertyNumber(const std::string& key, std::int64_t number);
    void ProfileUserPropertyNumber(const std::string& key, double number);
    void ProfileUserPropertyDateTime(const std::string& key, KvTime time);

    // Now: uploads at once if anything is pending. Later: only counts the request.
    void requestFlush(bool now);
    int pendingFlushes() const { return flush_->pendingFlushes.load(); }

    // Where the SDK stages records that are still queued at the release.
    std::string stagingFile() const;
    const TrackerContext& context() const { return context_; }

private:
    void Record(KvEventType kind, event_sdk::PropertiesNode& properties, const KvContextProperties& context);
    // What every event of a plain kind does after its checks and own keys: "$is_first_time" when
    // the kind carries it, the context, the record, then the flush request (later kinds that count
    // themselves raise the pending counter first).
    enum class Upload { Now, Later, LaterCounted };
    void Complete(KvEventType kind, event_sdk::PropertiesNode& properties, const KvContextProperties& context,
                  bool firstTime, Upload upload);
    void RaisePending(int count) { flush_->pendingFlushes.fetch_add(count); }
    void SaveIdentityNow();
    void MergeLocale();

    const std::string appName_;
    const std::string appVersion_;
    const std::string appStore_;
    const std::string dlappId_;
    const std::string dlappVersion_;
    const KvEdition edition_;
    std::string serverUrl_;

    std::mutex contextLock_;  // the identity changes at a login or a payment
    TrackerContext context_;
    std::shared_ptr<FlushState> flush_;
    std::unique_ptr<NativeTrackLogger> logger_;
    bool identityLoaded_ = false;
    bool sdkStarted_ = false;
};

}  // namespace tracking::korvel
