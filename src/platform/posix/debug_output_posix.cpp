#include <unistd.h>

#include "platform/debug_output.h"
#include "platform/text.h"

namespace platform {

void DebugOutput(std::wstring_view text) {
    // Standard error stands in for the debugger output; one write keeps the line whole.
    const std::string utf8 = WideToUtf8(text);
    (void)!write(STDERR_FILENO, utf8.data(), utf8.size());  // a lost diagnostic line is acceptable
}

}  // namespace platform
