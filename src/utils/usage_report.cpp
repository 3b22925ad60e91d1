#include "utils/usage_report.h"

#include <mutex>

namespace Utils {
namespace {

std::mutex g_mutex;
TaskEventRecorder g_recorder;

}  // namespace

void SetTaskEventRecorder(TaskEventRecorder recorder) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_recorder = std::move(recorder);
}

void ReportTaskEvent(const std::wstring& title, const std::wstring& text) {
    TaskEventRecorder recorder;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        recorder = g_recorder;
    }
    if (!recorder) return;
    try {
        recorder(title, text);
    } catch (...) {
        // Statistics must never break an installation.
    }
}

}  // namespace Utils
