#include <fstream>
#include <iterator>

#include "platform/command_line.h"
#include "platform/text.h"

namespace platform {

std::vector<std::wstring> ProcessArguments() {
    // The kernel keeps the arguments already split, NUL-separated.
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::wstring> args;
    size_t start = 0;
    while (start < raw.size()) {
        size_t end = raw.find('\0', start);
        if (end == std::string::npos) end = raw.size();
        args.push_back(Utf8ToWide(std::string_view(raw).substr(start, end - start)));
        start = end + 1;
    }
    return args;
}

}  // namespace platform
