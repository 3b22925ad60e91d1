#include "report_format.h"

#include <charconv>

#include "platform/text.h"

namespace cli {

std::string ShortestNumber(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, result.ptr);
}

std::string ReportLine(std::int32_t code, double value, const wchar_t* text) {
    return std::to_string(code) + '\t' + ShortestNumber(value) + '\t' + platform::WideToUtf8(text) + '\n';
}

}  // namespace cli
