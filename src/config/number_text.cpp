#include "config/number_text.h"

#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <string>

namespace config {

std::optional<std::int32_t> ParseLeadingInt(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    if (i >= text.size() || text[i] < L'0' || text[i] > L'9') return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > std::int64_t{INT32_MAX} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<double> ParseLeadingDouble(std::wstring_view text) {
    const std::wstring terminated(text);  // wcstod needs a terminated string
    wchar_t* end = nullptr;
    errno = 0;
    const double value = std::wcstod(terminated.c_str(), &end);
    if (end == terminated.c_str() || errno == ERANGE) return std::nullopt;
    return value;
}

}  // namespace config
