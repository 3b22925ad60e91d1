// installer-cli stats-selftest SERVER_URL: the installer's reports of one run, delivered to a
// statistics server, as the installer makes them.
#include "commands.h"
#include "config/installer_config.h"
#include "platform/console.h"
#include "platform/text.h"
#include "statistics/installer_reports.h"

namespace cli {

int StatsSelftestCommand(const std::vector<std::wstring>& args) {
    if (args.size() != 1) return Usage("stats-selftest SERVER_URL");
    const config::InstallerConfig& c = config::TheInstallerConfig();
    if (!c.IsEnableAppStats) {
        // As the installer does: no tracker, no files, nothing sent.
        (void)platform::WriteStdout("statistics disabled (IsEnableAppStats)\n");
        return 0;
    }
    tracking::StartStatistics(platform::WideToUtf8(args[0]));
    const tracking::AbMap ab = tracking::MakeAbMap(c.GetAbTestGroup());
    tracking::reportClick(ab, L"立即安装");
    tracking::reportView(ab);
    tracking::reportTask(L"下载器启动", 0, L"", ab);
    tracking::reportTask(L"大包下载完毕", 12.5, L"", ab);
    tracking::reportTask(L"安装失败原因", 0, L":1.code=2004；2.msg=x", ab);
    tracking::reportCrash();
    tracking::StopStatistics();  // uploads what is queued; what cannot be sent waits for the next run
    (void)platform::WriteStdout("statistics reported\n");
    return 0;
}

}  // namespace cli
