#include "support/capture_log.h"

namespace testing_support {

std::vector<std::wstring> CaptureLog::Lines() {
    const std::wstring text = Text();
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace testing_support
