#pragma once
// Small independent queries of the machine. Each returns a plain value and never throws; the
// caller applies its own rule (thresholds, messages) to the result.
#include <cstdint>
#include <string>

namespace Utils {

// Network verdicts, the result shifted right by 16.
inline constexpr std::uint32_t kNetworkOk = 0;            // connected, or the system cannot be asked
inline constexpr std::uint32_t kNetworkNone = 1;          // no connectivity at all
inline constexpr std::uint32_t kNetworkNoInternet = 2;    // some connectivity, no internet

// The connectivity flags in the low 16 bits, the verdict above them. Needs the component object
// model initialised on the calling thread. A result below 65536 is a usable network.
std::uint32_t CheckNetwork();

class HardDiskManager {
public:
    virtual ~HardDiskManager() = default;

    // Fills the three counters for the volume of `directory` ("C:" or a folder). On failure logs
    // the system error code and leaves the counters as they were.
    bool CheckFreeSpace(const std::wstring& directory);

    std::uint64_t freeBytesAvailable = 0;
    std::uint64_t totalBytes = 0;
    std::uint64_t totalFreeBytes = 0;
};

// 2^30 bytes: the least free space the installation directory's drive must have.
inline constexpr double kBytesPerGiB = 1073741824.0;

bool IsProcessElevatedAdmin();
bool IsConsoleUserAdmin();

// Process id of a running process whose executable file name is exactly `exeName`
// (case-sensitive), or 0.
std::uint32_t FindProcessByName(const std::wstring& exeName);

// A new GUID as 32 hexadecimal characters, or empty text when the system could not make one.
std::wstring NewGuidText();

// MD5 of the file's bytes as 32 lower-case hexadecimal characters, or empty text when the path is
// empty or the file cannot be read. The narrow form takes a path in the ANSI code page; the wide
// form reaches every path the system can name.
std::string FileMd5Text(const std::string& path);
std::string FileMd5Text(const std::wstring& path);

// Creates `path` and every missing parent. True when the whole path exists as a directory
// afterwards. Paths longer than 260 characters are refused.
bool CreateDirectoryTree(const std::wstring& path);

}  // namespace Utils
