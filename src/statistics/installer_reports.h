#pragma once
// The installer's usage reports: a task per stage or failure, a click per main button, a view
// when an installation starts, and a crash. Each does nothing when statistics are disabled
// (IsEnableAppStats) or no tracker is installed, and none ever throws into the installer.
#include <map>
#include <string>

#include "config/installer_config.h"
#include "statistics/kv_tracker.h"

namespace tracking {

// The A/B group the reports carry: {"AB": group}.
using AbMap = std::map<std::wstring, std::wstring>;
AbMap MakeAbMap(const std::wstring& group);
// The group of reports made outside the window: start-up, the exception filter, the download client.
inline const wchar_t kFixedAbGroup[] = L"IN";

// The tracker configuration of the installer: "<AppName><DlAppNameSuffix>" reporting from the
// installer's file name, for the product AppName.
korvel::TrackerConfig InstallerTrackerConfig(const config::InstallerConfig& config);

// With statistics enabled: creates the tracker (for `serverUrl`, the default when empty) and routes
// the download client's task reports to it. StopStatistics releases it, uploading what is queued.
void StartStatistics(const std::string& serverUrl = {});
void StopStatistics();

void reportTask(const std::wstring& label, double value, const std::wstring& text, AbMap ab);
void reportClick(AbMap ab, const std::wstring& label);
// The view "安装中".
void reportView(AbMap ab);
// The crash "崩溃", uploading at once what is pending.
void reportCrash();

}  // namespace tracking
