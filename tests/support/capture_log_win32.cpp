#include <windows.h>

#include <mutex>
#include <string>

#include "platform/text.h"
#include "support/capture_log.h"

#ifndef DBG_PRINTEXCEPTION_WIDE_C
#define DBG_PRINTEXCEPTION_WIDE_C 0x4001000AL
#endif

namespace testing_support {
namespace {

std::mutex g_mutex;
std::wstring* g_sink = nullptr;
bool g_sawWide = false;

// OutputDebugStringW raises the wide print exception first (on newer systems) and then the ANSI
// one; keep the wide text when there is one, else the ANSI text.
LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->ExceptionCode == static_cast<DWORD>(DBG_PRINTEXCEPTION_WIDE_C) && r->NumberParameters >= 2) {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_sink) {
            g_sink->append(reinterpret_cast<const wchar_t*>(r->ExceptionInformation[1]));
            g_sawWide = true;
        }
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    if (r->ExceptionCode == DBG_PRINTEXCEPTION_C && r->NumberParameters >= 2) {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_sink && !g_sawWide) g_sink->append(platform::AnsiToWide(reinterpret_cast<const char*>(r->ExceptionInformation[1])));
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

struct CaptureLog::State {
    std::wstring captured;
    PVOID handler = nullptr;
};

CaptureLog::CaptureLog() : state_(new State) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_sink = &state_->captured;
    g_sawWide = false;
    state_->handler = AddVectoredExceptionHandler(1, OnException);
}

CaptureLog::~CaptureLog() {
    (void)Text();
    delete state_;
}

std::wstring CaptureLog::Text() {
    if (state_->handler) {
        RemoveVectoredExceptionHandler(state_->handler);
        state_->handler = nullptr;
        std::lock_guard<std::mutex> lock(g_mutex);
        g_sink = nullptr;
    }
    return state_->captured;
}

}  // namespace testing_support
