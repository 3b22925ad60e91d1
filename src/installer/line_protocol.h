#pragma once
// The report lines the package and the old copy's uninstaller write to their standard output:
// "Key=value" lines, decoded from a selectable code page, turned into status reports.
#include <cstdint>
#include <string>
#include <string_view>

#include "utils/status.h"

namespace installer {

// Parse results of a chunk: 0 nothing final, 1 success line, 1000 failure line.
inline constexpr int kParseNone = 0;
inline constexpr int kParseSuccess = 1;
inline constexpr int kParseFailure = 1000;

// Cuts the child's output into whole lines. A line split across two reads is joined; the bytes
// after a chunk's last line feed wait for the next chunk, so the whole lines of each chunk decode
// with the code page in force when the chunk arrived. A piece longer than any report line can be
// is dropped up to its next line feed, so output without line feeds never grows memory.
class LineAssembler {
public:
    static constexpr std::size_t kMaxCarried = 64 * 1024;

    // The decoded whole lines (each with its line feed) that this chunk completes. Zero bytes are
    // line content like any other: they never hide the lines after them.
    std::wstring TakeChunk(std::string_view bytes, std::uint32_t codePage);
    // The last piece, without a line feed, when the output has ended.
    std::wstring Finish(std::uint32_t codePage);

private:
    std::string carried_;
    bool skipping_ = false;  // inside an over-long piece, until its line feed
};

// State the package's lines change.
struct PackageLineState {
    std::uint32_t codePage = 0;
    std::int32_t versionMajor = 0;
    std::int32_t versionMinor = 0;
    std::int32_t versionPatch = 0;
};

// Reports every line of `text` (whole lines, as LineAssembler gives them); returns the result of
// its last final line, or kParseNone.
int ParsePackageLines(const std::wstring& text, PackageLineState& state, const Utils::StatusCallback& report);

// The uninstaller's smaller set of keys; `codePage` follows its "Encode=" lines.
int ParseUninstallerLines(const std::wstring& text, std::uint32_t& codePage, const Utils::StatusCallback& report);

}  // namespace installer
