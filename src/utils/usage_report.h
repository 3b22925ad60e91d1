#pragma once
// Usage events raised below the statistics layer (the download client's failed length inquiry).
// The statistics layer installs the recorder at start-up; until then, and whenever statistics are
// off, the events go nowhere. Never throws into the caller.
#include <functional>
#include <string>

namespace Utils {

// (title, text): a statistics task event carrying the installer's A/B property.
using TaskEventRecorder = std::function<void(const std::wstring& title, const std::wstring& text)>;

void SetTaskEventRecorder(TaskEventRecorder recorder);
void ReportTaskEvent(const std::wstring& title, const std::wstring& text);

}  // namespace Utils
