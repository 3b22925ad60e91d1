#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "config/installer_config.h"
#include "platform/environment.h"
#include "platform/text.h"
#include "statistics/installer_reports.h"
#include "statistics/tracker_holder.h"
#include "support/host.h"
#include "support/package_servers.h"
#include "support/stats_records.h"
#include "support/temp_dir.h"
#include "utils/usage_report.h"

namespace {

using testing_support::PackageServers;
using testing_support::StatsRecord;

// The installer's configuration record, with a per-test product name so that each test has its
// own tracker folder; restored afterwards.
class InstallerReports : public testing::Test {
protected:
    void SetUp() override {
        testing_support::SetEnvironment("XDG_DATA_HOME", platform::WideToUtf8(home_.path()));
        saved_ = config::TheInstallerConfig();
        config::InstallerConfig& c = config::TheInstallerConfig();
        c.AppName = platform::Utf8ToWide("Report" + token_);
        c.ExeName = L"TessaroSetup.exe";
        c.IsEnableAppStats = true;
    }
    void TearDown() override {
        tracking::StopStatistics();
        std::error_code ignored;
        std::filesystem::remove_all(Folder(), ignored);
        config::TheInstallerConfig() = saved_;
    }
    std::filesystem::path Folder() const {
        const config::InstallerConfig& c = config::TheInstallerConfig();
        return std::filesystem::path(platform::LocalAppDataFolder()) / "KVLocal" / (c.AppName + c.DlAppNameSuffix);
    }
    std::string Url() const { return testing_support::StatsUrl(token_); }

    testing_support::TempDir home_;
    config::InstallerConfig saved_;
    const std::string token_ = PackageServers::NewToken();
};

void ReportOneOfEach() {
    const tracking::AbMap ab = tracking::MakeAbMap(L"IN");
    tracking::reportClick(ab, L"立即安装");
    tracking::reportView(ab);
    tracking::reportTask(L"下载器启动", 0, L"", ab);
    tracking::reportTask(L"大包下载完毕", 12.5, L"", ab);
    tracking::reportTask(L"安装失败原因", 0, L":1.code=2004；2.msg=x", ab);
    tracking::reportTask(L"坏分组", 0, L"", tracking::MakeAbMap(L"in"));  // fails the A/B check
    tracking::reportTask(L"无分组", 0, L"", {});
    Utils::ReportTaskEvent(L"下载失败原因", L"1.获取文件大小的状态码为=404；");  // the download client's report
    tracking::reportCrash();
}

TEST_F(InstallerReports, TrackerConfigFromTheInstallerSettings) {
    config::InstallerConfig c;
    c.AppName = L"Tessaro";
    c.DlAppNameSuffix = L".downloader";
    c.AppVersion = L"1.0.0";
    c.ExeName = L"TessaroSetup_开发.exe";
    c.DlAppVersion = L"";
    const tracking::korvel::TrackerConfig t = tracking::InstallerTrackerConfig(c);
    EXPECT_EQ(t.appName, "Tessaro.downloader");
    EXPECT_EQ(t.appVersion, "1.0.0");
    EXPECT_EQ(t.appStore, "TessaroSetup_开发.exe");
    EXPECT_EQ(t.dlappId, "Tessaro");
    EXPECT_EQ(t.dlappVersion, "");
    EXPECT_EQ(t.logPath, "");
    EXPECT_EQ(t.serverUrl, "");
    EXPECT_EQ(t.edition, tracking::korvel::KvEdition::china);
}

TEST_F(InstallerReports, DisabledStatisticsBuildNothing) {
    config::TheInstallerConfig().IsEnableAppStats = false;
    tracking::StartStatistics(Url());
    EXPECT_EQ(tracking::korvel::currentTracker(), nullptr);
    ReportOneOfEach();
    tracking::StopStatistics();
    EXPECT_TRUE(testing_support::ReceivedRecords(token_).empty());
    EXPECT_FALSE(std::filesystem::exists(Folder())) << "no tracker files";
}

TEST_F(InstallerReports, ReportsWithoutATrackerAreDropped) {
    ReportOneOfEach();  // before the start
    tracking::StartStatistics(Url());
    tracking::StopStatistics();
    ReportOneOfEach();  // after the release
    EXPECT_TRUE(testing_support::ReceivedRecords(token_).empty());
}

TEST_F(InstallerReports, EventShapes) {
    config::TheInstallerConfig().DlAppVersion = L"2.0";
    tracking::StartStatistics(Url());
    ReportOneOfEach();
    tracking::StopStatistics();
    const std::vector<StatsRecord> records = testing_support::ReceivedRecords(token_);
    using Props = std::map<std::string, std::string>;
    const Props ab = {{"kvc_ab", "\"IN\""}};
    const auto task = [](const char* name, const char* elapsed, const char* reason, bool withAb) {
        Props p = {{"$is_first_time", "true"},
                   {"kv_task_name", std::string("\"") + name + "\""},
                   {"kv_task_elapsed", elapsed},
                   {"kv_task_result", "\"Success\""}};
        if (*reason) p["kv_reason"] = std::string("\"") + reason + "\"";
        if (withAb) p["kvc_ab"] = "\"IN\"";
        return p;
    };
    const struct Row {
        const char* event;
        Props own;
    } rows[] = {
        {"KvEventClick", {{"$is_first_time", "true"}, {"kv_name", "\"立即安装\""}, {"kv_click_type", "\"Button\""}, {"kvc_ab", "\"IN\""}}},
        {"KvEventView", {{"$is_first_time", "true"}, {"kv_name", "\"安装中\""}, {"kvc_ab", "\"IN\""}}},
        {"KvEventTask", task("下载器启动", "0", "", true)},
        {"KvEventTask", task("大包下载完毕", "12.5", "", true)},
        {"KvEventTask", task("安装失败原因", "0", ":1.code=2004；2.msg=x", true)},
        {"KvEventTask", task("坏分组", "0", "", false)},
        {"KvEventTask", task("无分组", "0", "", false)},
        {"KvEventTask", task("下载失败原因", "0", "1.获取文件大小的状态码为=404；", true)},
        {"AppCrashed", {{"app_crashed_reason", "\"崩溃\""}}},
    };
    ASSERT_EQ(records.size(), std::size(rows));
    const std::string appName = "Report" + token_;
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(rows[i].event);
        const StatsRecord& r = records[i];
        EXPECT_EQ(r.Text("type"), "track");
        EXPECT_EQ(r.Text("event"), rows[i].event);
        Props p = r.Properties();
        EXPECT_EQ(p["kv_app_id"], "\"" + appName + ".downloader\"");
        EXPECT_EQ(p["$app_id"], "\"" + appName + ".downloader\"");
        EXPECT_EQ(p["kv_app_store"], "\"TessaroSetup.exe\"");
        EXPECT_EQ(p["kv_dlapp_id"], "\"" + appName + "\"");
        EXPECT_EQ(p["kv_dlapp_version"], "\"2.0\"");
        EXPECT_EQ(p["kv_edition"], "\"china\"");
        Props own;
        for (const auto& [key, value] : rows[i].own) own[key] = p[key];
        EXPECT_EQ(own, rows[i].own);
        // Nothing beyond the event's own keys and the common ones.
        for (const char* key : {"kv_reason", "kvc_ab", "kv_task_result", "$is_first_time", "kv_aname", "kv_title"}) {
            EXPECT_EQ(p.count(key), rows[i].own.count(key)) << key;
        }
    }
}

TEST_F(InstallerReports, ClickRecordAsTheWorkedExample) {
    tracking::StartStatistics(Url());
    tracking::reportClick(tracking::MakeAbMap(L"IN"), L"立即安装");
    tracking::StopStatistics();
    const std::vector<StatsRecord> records = testing_support::ReceivedRecords(token_);
    ASSERT_EQ(records.size(), 1u);
    std::vector<std::string> top, properties;
    for (const auto& [path, value] : records[0].fields) {
        if (path.rfind("properties.", 0) == 0) {
            properties.push_back(path.substr(11));
            if (top.empty() || top.back() != "properties") top.push_back("properties");
        } else if (path.rfind("lib.", 0) == 0) {
            if (top.empty() || top.back() != "lib") top.push_back("lib");
        } else {
            top.push_back(path);
        }
    }
    EXPECT_EQ(top, (std::vector<std::string>{"_track_id", "distinct_id", "event", "lib", "properties", "time", "type"}));
    EXPECT_EQ(properties,
              (std::vector<std::string>{"$app_id", "$app_version", "$is_first_time", "$lib", "$lib_version", "$os",
                                        "$os_version", "$screen_height", "$screen_width", "kv_app_id", "kv_app_platform",
                                        "kv_app_store", "kv_click_type", "kv_dlapp_id", "kv_edition", "kv_l10n_country",
                                        "kv_l10n_language", "kv_l10n_locale", "kv_name", "kv_sdk", "kv_sdk_version",
                                        "kv_track_type", "kvc_ab"}));
    EXPECT_TRUE(std::regex_match(records[0].Json("_track_id"), std::regex("[1-9][0-9]{0,8}|0")));
    EXPECT_TRUE(std::regex_match(records[0].Text("distinct_id"), std::regex("[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}")));
    EXPECT_EQ(records[0].Text("event"), "KvEventClick");
    EXPECT_EQ(records[0].Text("type"), "track");
    EXPECT_EQ(records[0].Text("properties.kv_click_type"), "Button");
    EXPECT_EQ(records[0].Text("properties.kvc_ab"), "IN");
}

}  // namespace
