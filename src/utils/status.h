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

// Install stage (the package runner).
inline constexpr std::int32_t IST_CODE_START = 2001;
inline constexpr std::int32_t IST_CODE_PROGRESS = 2002;       // value: fraction; 0.0 once before launch
inline constexpr std::int32_t IST_CODE_SUCCESS = 2003;        // 0.0 "State=Success", 1.0 ended without one
inline constexpr std::int32_t IST_CODE_FAIL = 2004;           // 0.0 "State=Fail", 2.0 not launched, 1000.0 "Error="
inline constexpr std::int32_t IST_INFO_INST_PATH = 3000;
inline constexpr std::int32_t IST_INFO_EXE_PATH = 3001;
inline constexpr std::int32_t IST_INFO_UNINST_EXE = 3002;
inline constexpr std::int32_t IST_INFO_UNINST_EP = 3003;
inline constexpr std::int32_t IST_INFO_START_URL = 3004;
inline constexpr std::int32_t IST_INFO_STARTUP_STYLE = 3005;  // 0.0 none, 1.0 at once, 2.0 when asked
inline constexpr std::int32_t IST_INFO_TOP_SHOW_DETENTION = 3007;
inline constexpr std::int32_t IST_INFO_FINISH_CLOSE_DETENTION = 3008;
inline constexpr std::int32_t IST_INFO_MESSAGE = 3009;

// Uninstall stage (the old copy's uninstaller).
inline constexpr std::int32_t UNIST_CODE_START = 5001;        // defined; nothing sends it
inline constexpr std::int32_t UNIST_CODE_PROGRESS = 5002;
inline constexpr std::int32_t UNIST_CODE_SUCCESS = 5003;      // 0.0 "State=Success", 1.0 ended without one
inline constexpr std::int32_t UNIST_CODE_FAIL = 5004;         // 1.0 file missing, 2.0 not started
inline constexpr std::int32_t UNIST_CODE_ERROR = 5005;        // the uninstaller reported failure
