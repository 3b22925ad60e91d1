#include <windows.h>

#include "platform/console.h"
#include "platform/text.h"

namespace platform {
namespace {

bool Write(DWORD which, std::string_view utf8) {
    HANDLE out = GetStdHandle(which);
    if (out == INVALID_HANDLE_VALUE || out == nullptr) return false;
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        // A console shows wide text correctly whatever its code page.
        const std::wstring wide = Utf8ToWide(utf8);
        DWORD written = 0;
        return WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != FALSE;
    }
    while (!utf8.empty()) {
        DWORD written = 0;
        if (!WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) || written == 0) return false;
        utf8.remove_prefix(written);
    }
    return true;
}

}  // namespace

bool WriteStdout(std::string_view utf8) { return Write(STD_OUTPUT_HANDLE, utf8); }
bool WriteStderr(std::string_view utf8) { return Write(STD_ERROR_HANDLE, utf8); }

}  // namespace platform
