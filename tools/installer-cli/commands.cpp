#include "commands.h"

#include "config/installer_config.h"
#include "platform/console.h"
#include "platform/network.h"
#include "platform/text.h"
#include "report_format.h"
#include "utils/system_checks.h"

namespace cli {
namespace {

void Print(const std::string& line) { (void)platform::WriteStdout(line); }  // nowhere to report a lost line

void Field(const char* name, const std::wstring& value) { Print(std::string(name) + '=' + platform::WideToUtf8(value) + '\n'); }
void Field(const char* name, bool value) { Print(std::string(name) + '=' + (value ? "true" : "false") + '\n'); }
void Field(const char* name, double value) { Print(std::string(name) + '=' + ShortestNumber(value) + '\n'); }
void Field(const char* name, std::uint64_t value) { Print(std::string(name) + '=' + std::to_string(value) + '\n'); }

}  // namespace

int Usage(const char* text) {
    (void)platform::WriteStderr(std::string("usage: installer-cli ") + text + '\n');
    return 2;
}

int ConfigCommand(const std::vector<std::wstring>& fullCommandLine) {
    // The same record the installer builds: defaults and the file at start, then the options.
    config::InstallerConfig& c = config::TheInstallerConfig();
    c.ApplyCommandLine(fullCommandLine);
    Field("AppName", c.AppName);
    Field("AppVersion", c.AppVersion);
    Field("ExeName", c.ExeName);
    Field("DlAppNameSuffix", c.DlAppNameSuffix);
    Field("DlAppVersion", c.DlAppVersion);
    Field("InstCmd", c.InstCmd);
    Field("DownloadUrl", c.DownloadUrl);
    Field("DownloadType", static_cast<double>(c.DownloadType));
    Field("IsCheckNet", c.IsCheckNet);
    Field("IsEnableAppStats", c.IsEnableAppStats);
    Field("DownloadScale", c.DownloadScale);
    Field("CurlAvailable", c.CurlAvailable);
    Field("AbTestGroup", c.AbTestGroup);
    return 0;
}

int Md5Command(const std::vector<std::wstring>& args) {
    if (args.size() != 1) return Usage("md5 FILE");
    const std::string digest = Utils::FileMd5Text(args[0]);
    if (digest.empty()) {
        (void)platform::WriteStderr("installer-cli: cannot read " + platform::WideToUtf8(args[0]) + '\n');
        return 1;
    }
    Print(digest + '\n');
    return 0;
}

int GuidCommand(const std::vector<std::wstring>& args) {
    if (!args.empty()) return Usage("guid");
    const std::wstring guid = Utils::NewGuidText();
    if (guid.empty()) return 1;
    Print(platform::WideToUtf8(guid) + '\n');
    return 0;
}

int ChecksCommand(const std::vector<std::wstring>& args) {
    if (args.size() != 1) return Usage("checks DIR");
    std::uint32_t network;
    {
        platform::ComApartment com;  // the check needs COM on its thread, as the window's probe has
        network = Utils::CheckNetwork();
    }
    Field("network", static_cast<double>(network));
    Utils::HardDiskManager disk;
    Field("freeSpaceQueried", disk.CheckFreeSpace(args[0]));
    Field("freeBytesAvailable", disk.freeBytesAvailable);
    Field("totalBytes", disk.totalBytes);
    Field("totalFreeBytes", disk.totalFreeBytes);
    Field("consoleUserAdmin", Utils::IsConsoleUserAdmin());
    Field("processElevatedAdmin", Utils::IsProcessElevatedAdmin());
    Field("tessaroProcessId", static_cast<std::uint64_t>(Utils::FindProcessByName(L"Tessaro.exe")));
    return 0;
}

}  // namespace cli
