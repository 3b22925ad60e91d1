#include "statistics/installer_reports.h"

#include "platform/text.h"
#include "statistics/kv_context_properties.h"
#include "statistics/tracker_holder.h"
#include "utils/usage_report.h"

namespace tracking {
namespace {

using korvel::KvContextProperties;
using korvel::KvEventType;

// The installed tracker when statistics are on; null otherwise (a report then has no one to call).
std::shared_ptr<korvel::KvTracker> Tracker() {
    if (!config::TheInstallerConfig().IsEnableAppStats) return nullptr;
    return korvel::currentTracker();
}

// The context carrying "kvc_ab" for one event of `kind`. A group that fails the check is left
// out: the event is still worth recording, and the check must not reach the installer.
KvContextProperties AbContext(const AbMap& ab, KvEventType kind) {
    KvContextProperties context;
    const auto it = ab.find(L"AB");
    if (it == ab.end()) return context;
    const std::string value = platform::WideToUtf8(it->second);
    try {
        if (KvContextProperties::isValidABValue(value)) context.setProperty("kvc_ab", value, {static_cast<int>(kind)});
    } catch (const korvel::KvException&) {
        // Recorded without the group.
    }
    return context;
}

// Runs one report; statistics never break an installation.
template <class Report>
void Guarded(Report&& report) {
    try {
        if (const auto tracker = Tracker()) report(*tracker);
    } catch (...) {
        // Dropped: the installer goes on without this report.
    }
}

}  // namespace

AbMap MakeAbMap(const std::wstring& group) { return {{L"AB", group}}; }

korvel::TrackerConfig InstallerTrackerConfig(const config::InstallerConfig& c) {
    korvel::TrackerConfig t;
    t.appName = platform::WideToUtf8(c.AppName + c.DlAppNameSuffix);
    t.appVersion = platform::WideToUtf8(c.AppVersion);
    t.appStore = platform::WideToUtf8(c.ExeName);
    t.dlappId = platform::WideToUtf8(c.AppName);
    t.dlappVersion = platform::WideToUtf8(c.DlAppVersion);
    t.edition = korvel::KvEdition::china;
    return t;
}

void StartStatistics(const std::string& serverUrl) {
    const config::InstallerConfig& c = config::TheInstallerConfig();
    if (!c.IsEnableAppStats) return;
    korvel::TrackerConfig t = InstallerTrackerConfig(c);
    t.serverUrl = serverUrl;
    korvel::createTracker(t);
    Utils::SetTaskEventRecorder([](const std::wstring& title, const std::wstring& text) {
        reportTask(title, 0, text, MakeAbMap(kFixedAbGroup));
    });
}

void StopStatistics() {
    if (!config::TheInstallerConfig().IsEnableAppStats) return;
    Utils::SetTaskEventRecorder(nullptr);
    korvel::releaseTracker();
}

void reportTask(const std::wstring& label, double value, const std::wstring& text, AbMap ab) {
    Guarded([&](korvel::KvTracker& tracker) {
        korvel::KvEventTask task;
        task.name = platform::WideToUtf8(label);
        task.reason = platform::WideToUtf8(text);
        task.elapsed = korvel::Some(value);
        task.result = korvel::Some(korvel::KvResult::Success);
        tracker.trackTask(task, AbContext(ab, KvEventType::Task));
    });
}

void reportClick(AbMap ab, const std::wstring& label) {
    Guarded([&](korvel::KvTracker& tracker) {
        korvel::KvEventClick click;
        click.name = platform::WideToUtf8(label);
        click.clickType = korvel::ClickType::Button;
        tracker.trackClick(click, AbContext(ab, KvEventType::Click));
    });
}

void reportView(AbMap ab) {
    Guarded([&](korvel::KvTracker& tracker) {
        korvel::KvEventView view;
        view.name = "安装中";
        tracker.trackView(view, AbContext(ab, KvEventType::View));
    });
}

void reportCrash() {
    Guarded([](korvel::KvTracker& tracker) { tracker.trackCrash("崩溃"); });
}

}  // namespace tracking
