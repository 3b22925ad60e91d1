#include "config/installer_config.h"

#include <cmath>
#include <limits>
#include <map>

#include "build_config.h"
#include "config/number_text.h"
#include "platform/command_line.h"
#include "platform/paths.h"
#include "platform/profile.h"

namespace config {
namespace {

// Text values of the file are read with a buffer of MAX_PATH characters, so at most 259 remain.
constexpr std::size_t kValueBuffer = 260;

bool IsTrue(const std::wstring& text) { return text == L"true"; }

// A DownloadScale that is not a finite number never reaches the progress bar: the previous value
// stays.
void StoreScale(double& field, std::optional<double> value, double whenNotANumber) {
    const double candidate = value ? *value : whenNotANumber;
    if (std::isfinite(candidate)) field = candidate;
}

}  // namespace

InstallerConfig::InstallerConfig()
    : AppName(L"Tessaro"),
      AppVersion(L"1.7.9"),
      DlAppNameSuffix(L".downloader"),
      DownloadUrl(ResolveRoute(TESSARO_DEFAULT_DOWNLOAD_URL)),
      DownloadType(1),
      IsCheckNet(false),
      IsEnableAppStats(true),
      DownloadScale(0.7),
      CurlAvailable(true),
      AbTestGroup(L"IN") {}

void InstallerConfig::LoadConfigFile() { LoadConfigFile(platform::ModuleFilePath()); }

void InstallerConfig::LoadConfigFile(const std::wstring& exePath) {
    const std::wstring path = exePath.substr(0, kValueBuffer - 1);
    ExeName = std::wstring(platform::FileNameOf(path));
    const std::wstring file = std::wstring(platform::DirectoryOf(path)) + platform::kPathSeparator + kConfigFileName;
    if (!platform::PathExists(file)) return;

    auto read = [&file](const wchar_t* key, const std::wstring& fallback) {
        return platform::ReadProfileString(file, kConfigSection, key, fallback, kValueBuffer);
    };
    DownloadUrl = ResolveRoute(read(L"DownloadUrl", TESSARO_DEFAULT_DOWNLOAD_URL));

    // As GetPrivateProfileIntW: a missing or empty value gives the default, text that is not a
    // number gives 0. A number beyond 32 bits counts as not a number (the system call would wrap).
    const std::wstring type = read(L"DownloadType", L"");
    DownloadType = type.empty() ? 1 : ParseLeadingInt(type).value_or(0);

    IsCheckNet = IsTrue(read(L"IsCheckNet", L"true"));
    IsEnableAppStats = IsTrue(read(L"IsEnableAppStats", L"true"));
    DlAppNameSuffix = read(L"DlAppNameSuffix", L".downloader");
    DlAppVersion = read(L"m_DlAppVersion", L"");
    StoreScale(DownloadScale, ParseLeadingDouble(read(L"DownloadScale", L"0.7")), 0.0);
    InstCmd = read(L"InstCmd", L"");
}

void InstallerConfig::ParseCommandLine() { ApplyCommandLine(platform::ProcessArguments()); }

void InstallerConfig::ApplyCommandLine(const std::vector<std::wstring>& args) {
    std::map<std::wstring, std::wstring> options;
    for (const std::wstring& arg : args) {
        const size_t eq = arg.find(L'=');
        if (!arg.empty() && arg[0] == L'-' && eq != std::wstring::npos) {
            options.emplace(arg.substr(0, eq), arg.substr(eq + 1));  // the first occurrence wins
        } else {
            options.emplace(arg, std::wstring());
        }
    }
    auto option = [&options](const wchar_t* key) -> const std::wstring* {
        const auto it = options.find(key);
        return it == options.end() ? nullptr : &it->second;
    };

    if (const auto* v = option(L"-downloadurl")) DownloadUrl = ResolveRoute(*v);
    if (const auto* v = option(L"-downloadtype")) DownloadType = ParseLeadingInt(*v).value_or(0);
    // A scale that is not a number keeps the previous value.
    if (const auto* v = option(L"-downloadscale")) StoreScale(DownloadScale, ParseLeadingDouble(*v), std::numeric_limits<double>::quiet_NaN());
    if (const auto* v = option(L"-ischecknet")) IsCheckNet = IsTrue(*v);
    if (const auto* v = option(L"-isenableappstats")) IsEnableAppStats = IsTrue(*v);
    if (const auto* v = option(L"-dlappnamesuffix")) DlAppNameSuffix = *v;
    if (const auto* v = option(L"-dlappversion")) DlAppVersion = *v;
    if (const auto* v = option(L"-instcmd")) InstCmd = *v;
}

InstallerConfig& TheInstallerConfig() {
    // Built during static initialisation of this file, so the file layer is in place before the
    // entry point runs; the function keeps callers from depending on initialisation order.
    static InstallerConfig instance = [] {
        InstallerConfig config;
        config.LoadConfigFile();
        return config;
    }();
    return instance;
}

namespace {
// Forces construction before main() even when nothing touches the record during static init.
[[maybe_unused]] const InstallerConfig& g_builtAtStart = TheInstallerConfig();
}  // namespace

}  // namespace config
