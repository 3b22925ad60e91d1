#pragma once
// Conversions between the installer's wide text and narrow encodings.
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// UTF-8 <-> wide (UTF-16 on Windows, UTF-32 elsewhere). Malformed input becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

// The system's ANSI code page: the active code page on Windows, UTF-8 on POSIX.
// Characters the code page cannot hold become '?'.
std::string WideToAnsi(std::wstring_view text);
std::wstring AnsiToWide(std::string_view text);

// Bytes in a Windows code page: 0 the ANSI code page, 65001 UTF-8, or any other code page number
// (936, 1252, ...). Empty text when the code page is unknown or the conversion fails.
std::wstring DecodeCodePage(std::string_view bytes, std::uint32_t codePage);

// ASCII-only case folding, as used for the names in profile files.
bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b);

}  // namespace platform
