#pragma once
// The report channel of every runner and downloader, and every report code. Append-only: codes
// travel to the window and into statistics texts, so a code never changes its meaning.
#include <cstdint>
#include <functional>

namespace Utils {

// (code, value, text): numeric details travel in the value; text is never null, empty when there
// is nothing to say. Called on the reporting runner's thread; each receiver keeps its own copy.
using StatusCallback = std::function<void(std::int32_t code, double value, const wchar_t* text)>;

}  // namespace Utils

// Download (every downloader).
inline constexpr std::int32_t DL_CODE_START = 1001;     // a run has begun; first report of a run
inline constexpr std::int32_t DL_CODE_PROGRESS = 1002;  // value: share done, 0.0 to 1.0
inline constexpr std::int32_t DL_CODE_SUCCESS = 1003;   // package complete; ends the run
inline constexpr std::int32_t DL_CODE_FAIL = 1004;      // failed for good; ends the run
inline constexpr std::int32_t DL_CODE_RETRY = 1005;     // owner is asked to Start again; ends the run
inline constexpr std::int32_t DL_CODE_MD5_DETAIL = 1006;  // integrity detail; never ends a run
