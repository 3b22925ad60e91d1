#include "platform/paths.h"

namespace platform {

bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring_view FileNameOf(std::wstring_view path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1])) return path.substr(i);
    }
    return path;
}

std::wstring_view DirectoryOf(std::wstring_view path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1])) return path.substr(0, i - 1);
    }
    return {};
}

}  // namespace platform
