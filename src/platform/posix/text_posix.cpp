#include "platform/text.h"

namespace platform {

// The "ANSI" code page of a POSIX system is UTF-8.
std::string WideToAnsi(std::wstring_view text) { return WideToUtf8(text); }
std::wstring AnsiToWide(std::string_view text) { return Utf8ToWide(text); }

}  // namespace platform
