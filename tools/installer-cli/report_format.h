#pragma once
#include <cstdint>
#include <string>

namespace cli {

// A number in its shortest form that reads back to the same double ("0.7", "1e+300", "12").
std::string ShortestNumber(double value);

// One report line: code, value and text separated by tabs, UTF-8, with a line feed.
std::string ReportLine(std::int32_t code, double value, const wchar_t* text);

}  // namespace cli
