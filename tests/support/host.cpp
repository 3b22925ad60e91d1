#include "platform/paths.h"
#include "platform/text.h"
#include "support/host.h"

namespace testing_support {

std::wstring LocalPath(const std::string& posixPath) {
    std::wstring path = platform::Utf8ToWide(posixPath);
    if (platform::kPathSeparator == L'\\') {
        for (wchar_t& c : path) {
            if (c == L'/') c = L'\\';
        }
        path = L"Z:" + path;
    }
    return path;
}

}  // namespace testing_support
