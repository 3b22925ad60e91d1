#pragma once
// The tracker the process holds: forwards every event to the implementation and absorbs whatever
// it raises, so a statistics failure never reaches the caller.
#include <memory>

#include "statistics/kv_tracker.h"

namespace tracking::korvel {

class KvTrackerWrapper : public KvTracker {
public:
    explicit KvTrackerWrapper(std::unique_ptr<KvTracker> tracker) : tracker_(std::move(tracker)) {}

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
    TrackLogger* logger() override { return nullptr; }

private:
    // Runs one operation; anything it raises ends here, with "Failed to <operation>" on standard
    // output when the tracker has a log (it has none when its set-up failed early).
    template <class Operation>
    void Guarded(const char* operation, Operation&& call);

    std::unique_ptr<KvTracker> tracker_;
};

}  // namespace tracking::korvel
