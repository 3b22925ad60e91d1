#pragma once
// Paths as the POSIX calls take them: UTF-8, with the Windows separator accepted above the
// platform layer turned into '/'.
#include <string>

#include "platform/text.h"

namespace platform::posix {

inline std::string NativePath(const std::wstring& path) {
    std::string native = WideToUtf8(path);
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

}  // namespace platform::posix
