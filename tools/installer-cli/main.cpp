// installer-cli: the installer's components without the window.
//   installer-cli config [installer options...]
//   installer-cli md5 FILE
//   installer-cli guid
//   installer-cli checks DIR
//   installer-cli download [--type N] URL PATH
//   installer-cli run-package PATH [--dir D] [--dsc B] [--ssc B] [--adminact B] [--authorizationact B]
//   installer-cli run-uninstaller PATH TARGETDIR
//   installer-cli install URL DIR [--uninstaller PATH] [--dsc B] [--ssc B]
//   installer-cli stats-selftest SERVER_URL
#include <curl/curl.h>

#include <string>
#include <vector>

#include "commands.h"
#include "config/installer_config.h"
#include "platform/command_line.h"
#include "platform/console.h"

int main() {
    // Wide arguments split by the Windows rules on every system, as the installer sees them.
    const std::vector<std::wstring> args = platform::ProcessArguments();
    const std::wstring command = args.size() > 1 ? args[1] : std::wstring();
    const std::vector<std::wstring> rest(args.begin() + (args.size() > 1 ? 2 : args.size()), args.end());

    if (command == L"config") return cli::ConfigCommand(args);
    if (command == L"md5") return cli::Md5Command(rest);
    if (command == L"guid") return cli::GuidCommand(rest);
    if (command == L"checks") return cli::ChecksCommand(rest);
    if (command == L"run-package") return cli::RunPackageCommand(rest);
    if (command == L"run-uninstaller") return cli::RunUninstallerCommand(rest);
    if (command == L"download" || command == L"install" || command == L"stats-selftest") {
        // As the installer's start-up does: a failed initialisation leaves libcurl unavailable.
        if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) config::TheInstallerConfig().CurlAvailable = false;
        const int code = command == L"download" ? cli::DownloadCommand(rest)
                         : command == L"install" ? cli::InstallCommand(rest)
                                                 : cli::StatsSelftestCommand(rest);
        curl_global_cleanup();
        return code;
    }
    (void)platform::WriteStderr(
        "usage: installer-cli config [installer options...]\n"
        "       installer-cli md5 FILE\n"
        "       installer-cli guid\n"
        "       installer-cli checks DIR\n"
        "       installer-cli download [--type N] URL PATH\n"
        "       installer-cli run-package PATH [--dir D] [--dsc B] [--ssc B] [--adminact B] [--authorizationact B]\n"
        "       installer-cli run-uninstaller PATH TARGETDIR\n"
        "       installer-cli install URL DIR [--uninstaller PATH] [--dsc B] [--ssc B]\n"
        "       installer-cli stats-selftest SERVER_URL\n");
    return 2;
}
