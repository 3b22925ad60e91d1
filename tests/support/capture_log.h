#pragma once
#include <string>
#include <vector>

namespace testing_support {

// Collects the diagnostic lines this process writes while the object lives (standard error on
// POSIX; the debug-print exceptions that OutputDebugString raises, on Windows).
class CaptureLog {
public:
    CaptureLog();
    ~CaptureLog();
    CaptureLog(const CaptureLog&) = delete;
    CaptureLog& operator=(const CaptureLog&) = delete;

    // Everything captured so far, in order.
    std::wstring Text();
    // Text() cut into lines at each "\r\n" (a final piece without one is a line too).
    std::vector<std::wstring> Lines();

private:
    struct State;
    State* state_;
};

}  // namespace testing_support
