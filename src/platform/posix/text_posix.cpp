#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/text.h"

namespace platform {

// The "ANSI" code page of a POSIX system is UTF-8.
std::string WideToAnsi(std::wstring_view text) { return WideToUtf8(text); }
std::wstring AnsiToWide(std::string_view text) { return Utf8ToWide(text); }

std::wstring DecodeCodePage(std::string_view bytes, std::uint32_t codePage) {
    if (codePage == 0 || codePage == 65001) return Utf8ToWide(bytes);
    // Other Windows code pages through the C library's converters ("CP936", "CP1252", ...).
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* dst = out.data();
    size_t outLeft = out.size();
    const size_t result = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1)) return {};  // like MultiByteToWideChar refusing the bytes
    out.resize(out.size() - outLeft);
    return Utf8ToWide(out);
}

}  // namespace platform
