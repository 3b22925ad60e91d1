#include "statistics/kv_tracker_wrapper.h"

#include "platform/console.h"

namespace tracking::korvel {

template <class Operation>
void KvTrackerWrapper::Guarded(const char* operation, Operation&& call) {
    if (!tracker_) return;
    try {
        call(*tracker_);
    } catch (...) {
        // One whole line per failure, so lines from several threads stay apart.
        if (tracker_->logger()) (void)platform::WriteStdout(std::string("Failed to ") + operation + "\n");
    }
}

void KvTrackerWrapper::trackActivity(const KvContextProperties& c) {
    Guarded("trackActivity", [&](KvTracker& t) { t.trackActivity(c); });
}

void KvTrackerWrapper::trackLaunch(const KvContextProperties& c) {
    Guarded("trackLaunch", [&](KvTracker& t) { t.trackLaunch(c); });
}

void KvTrackerWrapper::trackLogin(const KvUserInfo& user, bool success, const std::string& reason,
                                  const KvContextProperties& c) {
    Guarded("trackLogin", [&](KvTracker& t) { t.trackLogin(user, success, reason, c); });
}

void KvTrackerWrapper::trackClick(const KvEventClick& e, const KvContextProperties& c) {
    Guarded("trackClick", [&](KvTracker& t) { t.trackClick(e, c); });
}

void KvTrackerWrapper::trackView(const KvEventView& e, const KvContextProperties& c) {
    Guarded("trackView", [&](KvTracker& t) { t.trackView(e, c); });
}

void KvTrackerWrapper::trackCashier(const KvEventCashier& e, const KvContextProperties& c) {
    Guarded("trackCashier", [&](KvTracker& t) { t.trackCashier(e, c); });
}

void KvTrackerWrapper::trackShare(const KvEventShare& e, const KvContextProperties& c) {
    Guarded("trackShare", [&](KvTracker& t) { t.trackShare(e, c); });
}

void KvTrackerWrapper::trackTask(const KvEventTask& e, const KvContextProperties& c) {
    Guarded("trackTask", [&](KvTracker& t) { t.trackTask(e, c); });
}

void KvTrackerWrapper::trackFile(const KvEventFile& e, const KvContextProperties& c) {
    Guarded("trackFile", [&](KvTracker& t) { t.trackFile(e, c); });
}

void KvTrackerWrapper::trackOrder(const KvEventOrder& e, const KvContextProperties& c) {
    Guarded("trackOrder", [&](KvTracker& t) { t.trackOrder(e, c); });
}

void KvTrackerWrapper::trackPayment(const KvEventPayment& e, const KvContextProperties& c) {
    Guarded("trackPayment", [&](KvTracker& t) { t.trackPayment(e, c); });
}

void KvTrackerWrapper::trackUninstall(const std::string& reason, const KvContextProperties& c) {
    Guarded("trackUninstall", [&](KvTracker& t) { t.trackUninstall(reason, c); });
}

void KvTrackerWrapper::trackCrash(const std::string& reason) {
    Guarded("trackCrash", [&](KvTracker& t) { t.trackCrash(reason); });
}

void KvTrackerWrapper::trackUpdate(const KvEventUpdate& e, const KvContextProperties& c) {
    Guarded("trackUpdate", [&](KvTracker& t) { t.trackUpdate(e, c); });
}

void KvTrackerWrapper::trackAppOpenNotification(const KvAppOpenNotification* n, const KvContextProperties& c) {
    Guarded("trackAppOpenNotification", [&](KvTracker& t) { t.trackAppOpenNotification(n, c); });
}

void KvTrackerWrapper::setLocale(const std::string& locale) {
    if (tracker_) tracker_->setLocale(locale);  // not guarded: the caller hears of a failure
}

std::string KvTrackerWrapper::primaryDistinctId() { return tracker_ ? tracker_->primaryDistinctId() : std::string(); }

}  // namespace tracking::korvel
