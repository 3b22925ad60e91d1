#include "platform/paths.h"
#include "utils/system_checks.h"

namespace Utils {
namespace {

constexpr std::size_t kMaxPath = 260;

// A prefix is fine when it is a directory, or when it can be made one. Something other than a
// directory under that name (a file) makes the whole tree impossible.
bool EnsureDirectory(const std::wstring& path) {
    if (platform::PathExists(path)) return platform::IsDirectory(path);
    return static_cast<bool>(platform::MakeDirectory(path)) || platform::IsDirectory(path);
}

}  // namespace

bool CreateDirectoryTree(const std::wstring& path) {
    if (path.size() > kMaxPath || path.empty()) return false;
    size_t last = std::wstring::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (!platform::IsPathSeparator(path[i])) continue;
        last = i;
        const std::wstring prefix = path.substr(0, i + 1);
        // A drive ("C:\") or the root always exists; a doubled separator adds nothing.
        if (i == 0 || path[i - 1] == L':' || platform::IsPathSeparator(path[i - 1])) continue;
        if (!EnsureDirectory(prefix)) return false;
    }
    if (last + 1 == path.size()) return true;  // ends in a separator: complete after the walk
    return EnsureDirectory(path);
}

}  // namespace Utils
