#pragma once
// The process-wide settings record: compiled defaults, then "KorvelInstallerConfig.ini" beside the
// executable, then the command line. Complete before the main window exists and never written
// afterwards, so every thread reads it without locks.
#include <cstdint>
#include <string>
#include <vector>

namespace config {

// The name of the configuration file, looked for in the executable's folder.
inline constexpr wchar_t kConfigFileName[] = L"KorvelInstallerConfig.ini";
inline constexpr wchar_t kConfigSection[] = L"Install";

struct WindowsVersionName {
    std::wstring osName;   // always "Windows"
    std::wstring version;  // "XP", "7", "10", "10+", "7.0.1234", ...
};

// The OS name and version text of the running system (of the injected numbers in tests).
WindowsVersionName GetWindowsVersionName();

// Replaces every "${ROUTE}" in `address` by the download route for this system:
// "download_silent_xp" when the version text contains "XP", else "download_silent".
std::wstring ResolveRoute(const std::wstring& address);

class InstallerConfig {
public:
    // Compiled defaults only; ExeName stays empty.
    InstallerConfig();

    // The file layer: sets ExeName from `exePath` and reads the configuration file beside it.
    void LoadConfigFile(const std::wstring& exePath);
    void LoadConfigFile();  // for the running executable

    // The option layer: `args` as CommandLineToArgvW gives them, the program path first.
    void ApplyCommandLine(const std::vector<std::wstring>& args);
    void ParseCommandLine();  // for this process's command line

    std::wstring GetAbTestGroup() const { return AbTestGroup; }

    // Fields in declaration order (the order `installer-cli config` prints them in).
    std::wstring AppName;
    std::wstring AppVersion;
    std::wstring ExeName;
    std::wstring DlAppNameSuffix;
    std::wstring DlAppVersion;
    std::wstring InstCmd;
    std::wstring DownloadUrl;
    std::int32_t DownloadType;
    bool IsCheckNet;
    bool IsEnableAppStats;
    double DownloadScale;
    bool CurlAvailable;
    std::wstring AbTestGroup;
};

// The process-wide record, built during static initialisation (defaults, then the file).
InstallerConfig& TheInstallerConfig();

}  // namespace config
