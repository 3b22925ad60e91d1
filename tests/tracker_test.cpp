#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <thread>

#include "platform/environment.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "statistics/event_sdk.h"
#include "statistics/kv_tracker_impl.h"
#include "statistics/kv_tracker_wrapper.h"
#include "support/capture_log.h"
#include "support/host.h"
#include "support/package_servers.h"
#include "support/stats_records.h"
#include "support/temp_dir.h"

namespace {

using namespace tracking::korvel;
using testing::HasSubstr;
using testing_support::PackageServers;
using testing_support::ReceivedRecords;
using testing_support::StatsAnswer;
using testing_support::StatsRecord;
using testing_support::StatsUrl;

const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new testing_support::CurlEnvironment);

std::wstring Wide(const std::string& s) { return platform::Utf8ToWide(s); }

// The message of what `call` raises, or "no exception".
std::string Raised(const std::function<void()>& call) {
    try {
        call();
    } catch (const KvException& e) {
        return e.what();
    }
    return "no exception";
}

// ---------------------------------------------------------------- vocabulary

TEST(KvTypes, TextsAndUnknownValues) {
    struct Row {
        const char* name;
        std::function<std::string()> text;
        std::string expected;
    } rows[] = {
        {"event text", [] { return toString(KvEventType::PaLaunchPal); }, "PaLaunchPal"},
        {"event name", [] { return eventName(KvEventType::Crashed); }, "AppCrashed"},
        {"event name, launch", [] { return eventName(KvEventType::PaLaunchPal); }, "KvEventLaunch"},
        {"unknown event", [] { return toString(static_cast<KvEventType>(15)); }, "Unknown Event [15]!"},
        {"click type", [] { return toString(ClickType::Others); }, "Others"},
        {"unknown click type", [] { return toString(static_cast<ClickType>(5)); }, "Unknown ClickType [5]!"},
        {"result", [] { return toString(KvResult::Unknown); }, "Unknown"},
        {"unknown result", [] { return toString(static_cast<KvResult>(-1)); }, "Unknown task result [-1]!"},
        {"user type", [] { return toString(KvUserType::korveluserid); }, "korveluserid"},
        {"unknown user type", [] { return toString(static_cast<KvUserType>(12)); }, "Unknown user type [12]!"},
        {"io", [] { return toString(KvIoType::Output); }, "Output"},
        {"unknown io", [] { return toString(static_cast<KvIoType>(2)); }, "the io type is invalid"},
        {"currency", [] { return toString(KvCurrency::GBP); }, "GBP"},
        {"unknown currency", [] { return toString(static_cast<KvCurrency>(11)); }, "Unknown currency [11]!"},
        {"platform", [] { return toString(KvPaidPlatform::ChinaUnionPay); }, "ChinaUnionPay"},
        {"unknown platform", [] { return toString(static_cast<KvPaidPlatform>(10)); }, "Unknown paid platform [10]!"},
        {"iap type from 1", [] { return toString(KvIapType::Consumable); }, "Consumable"},
        {"iap type 4", [] { return toString(KvIapType::NonRenewable); }, "NonRenewable"},
        {"iap type 0", [] { return toString(static_cast<KvIapType>(0)); }, "Unknown kvIapType [0]!"},
        {"update op spelling", [] { return toString(KvUpdateOp::UpgrateEnd); }, "UpgrateEnd"},
        {"unknown update op", [] { return toString(static_cast<KvUpdateOp>(5)); }, "Unknown KvUpdateOp [5]!"},
        {"update result", [] { return toString(KvUpdateResult::Updateable); }, "Updateable"},
        {"unknown update result", [] { return toString(static_cast<KvUpdateResult>(6)); }, "Unknown KvUpdateResult [6]!"},
        {"edition", [] { return toString(KvEdition::overseas); }, "overseas"},
        {"unknown edition", [] { return toString(static_cast<KvEdition>(2)); }, "Unknown edition [2]!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string got;
        try {
            got = row.text();
        } catch (const KvException& e) {
            got = e.what();
            EXPECT_EQ(e.function(), "toString");
            EXPECT_EQ(e.code(), -1);
        }
        EXPECT_EQ(got, row.expected);
    }
}

TEST(KvContext, SetAndGetProperties) {
    KvContextProperties c;
    c.setProperty("kvc_ab", "IN", {3, 7, 7});
    EXPECT_EQ(c.getEventProperties(7).size(), 2u) << "a kind listed twice names the property twice";
    EXPECT_EQ(c.getEventProperties(3).at(0).name, "kvc_ab");
    EXPECT_EQ(c.getEventProperties(3).at(0).kind, KvValueKind::Text);
    EXPECT_TRUE(c.getEventProperties(0).empty());
    EXPECT_EQ(Raised([&] { c.setProperty("kvc_ab", "B1", {3}); }), "Property[kvc_ab] already exist!");
    EXPECT_EQ(Raised([&] { c.setProperty("other", "x", {15}); }), "KvEvent[15] overflow!");
    EXPECT_EQ(Raised([&] { (void)c.getEventProperties(15); }), "KvEvent[15] overflow!");
    try {
        (void)c.getEventProperties(15);
    } catch (const KvException& e) {
        EXPECT_EQ(e.unit(), "KvContextProperties");
        EXPECT_EQ(e.function(), "getEventProperties");
    }
}

TEST(KvContext, AppliesEveryValueKind) {
    KvContextProperties c;
    const int task = static_cast<int>(KvEventType::Task);
    c.setBoolProperty("flag", true, {task});
    c.setNumberProperty("ratio", 0.25, {task});
    c.setListProperty("tags", {"a", "b"}, {task});
    c.setTimeProperty("inMillis", 1700000000123, {task});
    c.setTimeProperty("inSeconds", 1700000000, {task});
    c.setProperty("bad", "\xC0\xAF", {task});
    event_sdk::PropertiesNode p;
    EXPECT_TRUE(c.applyTo(KvEventType::Task, p));
    EXPECT_FALSE(c.applyTo(KvEventType::Click, p)) << "nothing for clicks";
    const std::regex millis(R"("inMillis":"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.123")");
    const std::regex seconds(R"("inSeconds":"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.000")");
    const std::string json = p.ToJson();
    EXPECT_TRUE(std::regex_search(json, millis)) << json;
    EXPECT_TRUE(std::regex_search(json, seconds)) << json;
    EXPECT_THAT(json, HasSubstr("\"flag\":true"));
    EXPECT_THAT(json, HasSubstr("\"ratio\":0.25"));
    EXPECT_THAT(json, HasSubstr("\"tags\":[\"a\",\"b\"]"));
    EXPECT_THAT(json, testing::Not(HasSubstr("\"bad\""))) << "an invalid text is skipped";
}

TEST(KvContext, AbValues) {
    struct Row {
        const char* value;
        std::string result;  // "true", "false" or the message
    } rows[] = {
        {"IN", "true"},
        {"B1", "true"},
        {"Z", "true"},
        {"A9Z", "true"},
        {"", "false"},
        {"ABCD", "value's length is great than 3."},
        {"in", "First char is not in A to Z"},
        {"ab", "First char is not in A to Z"},
        {"1A", "First char is not in A to Z"},
        {"Aa", "second char is not in A to Z and 0 to 9"},
        {"AB-", "third char is not in A to Z and 0 to 9"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        std::string got;
        try {
            got = KvContextProperties::isValidABValue(row.value) ? "true" : "false";
        } catch (const KvException& e) {
            got = e.what();
        }
        EXPECT_EQ(got, row.result);
    }
}

// ---------------------------------------------------------------- the tracker against the collector

// Each test gets its own tracker folder: its own data folder on POSIX and its own application
// name everywhere (under Wine the local application data folder is the prefix's).
class Tracker : public testing::Test {
protected:
    void SetUp() override {
        testing_support::SetEnvironment("XDG_DATA_HOME", platform::WideToUtf8(home_.path()));
        appName_ = "TrackerTest" + token_;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(platform::LocalAppDataFolder()) / "KVLocal" / Wide(appName_), ignored);
    }

    TrackerConfig Config() const {
        TrackerConfig c;
        c.appName = appName_;
        c.appVersion = "1.2.3";
        c.appStore = "TessaroSetup.exe";
        c.dlappId = "Tessaro";
        c.serverUrl = StatsUrl(token_);
        return c;
    }
    static std::unique_ptr<KvTrackerImpl> Make(const TrackerConfig& config) {
        auto t = std::make_unique<KvTrackerImpl>(config);
        t->init();
        return t;
    }
    std::vector<StatsRecord> Received() const { return ReceivedRecords(token_); }
    static std::string ReadIni(const std::string& file, const wchar_t* section, const wchar_t* key) {
        return platform::WideToUtf8(platform::ReadProfileString(Wide(file), section, key, L"<none>", 128));
    }

    testing_support::TempDir home_;
    const std::string token_ = PackageServers::NewToken();
    std::string appName_;
};

const std::set<std::string> kCommonKeys = {
    "$app_id",         "$app_version",    "$lib",           "$lib_version",    "$os",
    "$os_version",     "$screen_height",  "$screen_width",  "kv_app_id",       "kv_app_platform",
    "kv_app_store",    "kv_dlapp_id",     "kv_edition",     "kv_l10n_country", "kv_l10n_language",
    "kv_l10n_locale",  "kv_sdk",          "kv_sdk_version", "kv_track_type"};

// The properties of a record that are not common ones.
std::map<std::string, std::string> OwnProperties(const StatsRecord& r) {
    std::map<std::string, std::string> own = r.Properties();
    for (const std::string& key : kCommonKeys) own.erase(key);
    return own;
}

KvEventClick Click(const std::string& name) {
    KvEventClick c;
    c.name = name;
    return c;
}

KvEventView View(const std::string& name) {
    KvEventView v;
    v.name = name;
    return v;
}

const StatsRecord* FindEvent(const std::vector<StatsRecord>& records, const std::string& event) {
    for (const StatsRecord& r : records) {
        if (r.Text("type") == "track" && r.Text("event") == event) return &r;
    }
    return nullptr;
}

TEST_F(Tracker, EveryKindSendsItsKeys) {
    std::vector<int> allKinds;
    for (int k = 0; k < kEventTypeCount; ++k) allKinds.push_back(k);
    KvContextProperties ab;
    ab.setProperty("kvc_ab", "IN", allKinds);
    {
        auto t = Make(Config());
        t->trackActivity(ab);
        t->trackLaunch(ab);
        KvUserInfo anonymous;
        anonymous.userType = KvUserType::email;
        t->trackLogin(anonymous, false, "r", ab);
        KvEventClick click{"a", "立即安装", ClickType::Banner, "t", "m", "p", Some(2), "tn", Some(0), "bn"};
        t->trackClick(click, ab);
        t->trackView({"", "安装中", "", "p"}, ab);
        t->trackCashier({"c", "", "s"}, ab);
        KvEventShare share;
        share.channel = "wx";
        share.result = Some(KvResult::Unknown);
        t->trackShare(share, ab);
        t->trackTask({"", "下载器启动", "", Some(12.5), Some(KvResult::Unknown)}, ab);
        KvEventFile file;
        file.aname = "f";
        file.io = Some(KvIoType::Output);
        file.size = Some(0.0);
        file.fps = Some(29.97);
        file.width = Some(640);
        file.result = Some(KvResult::Cancelled);
        t->trackFile(file, ab);
        KvEventOrder order;
        order.suitId = "s1";
        order.currency = Some(KvCurrency::USD);
        order.originalAmount = 9.5;
        order.paidAmount = 8;
        order.campaignCode = Some(7);
        t->trackOrder(order, ab);
        KvEventPayment payment;
        payment.orderId = "o1";
        payment.currency = Some(KvCurrency::CNY);
        payment.originalAmount = 10;
        payment.paidPlatform = Some(KvPaidPlatform::Alipay);
        payment.result = Some(KvResult::Fail);
        payment.iapType = Some(KvIapType::Consumable);
        t->trackPayment(payment, ab);
        t->trackUninstall("too big", ab);
        t->trackCrash("崩溃");
        t->trackUpdate({KvUpdateOp::UpdateCheck, nullptr, nullptr}, ab);
        KvAppOpenNotification note;
        note.msgTitle = "hello";
        note.planId = "p7";
        note.planType = "push";
        t->trackAppOpenNotification(&note, ab);
    }  // the release uploads what is left
    const std::vector<StatsRecord> records = Received();
    using Props = std::map<std::string, std::string>;
    const struct Row {
        const char* event;
        Props own;
    } rows[] = {
        {"KvEventActivity",
         {{"$ios_install_source", "\"android_id=123##imei=1234##mac=123\""},
          {"$is_first_time", "true"},
          {"$user_agent", "\"" + userAgentText() + "\""},
          {"kvc_ab", "\"IN\""}}},
        {"KvEventLaunch", {{"kvc_ab", "\"IN\""}}},
        {"KvEventLogin", {{"kv_type", "\"email\""}, {"kv_result", "\"Fail\""}, {"kv_reason", "\"r\""}, {"kvc_ab", "\"IN\""}}},
        {"KvEventClick",
         {{"kv_aname", "\"a\""},
          {"kv_name", "\"立即安装\""},
          {"kv_click_type", "\"Banner\""},
          {"kv_title", "\"t\""},
          {"kv_module", "\"m\""},
          {"kv_position", "\"p\""},
          {"kv_tab_index", "2"},
          {"kv_tab_name", "\"tn\""},
          {"kv_banner_index", "0"},
          {"kv_banner_name", "\"bn\""},
          {"$is_first_time", "true"},
          {"kvc_ab", "\"IN\""}}},
        {"KvEventView", {{"kv_name", "\"安装中\""}, {"kv_position", "\"p\""}, {"$is_first_time", "true"}, {"kvc_ab", "\"IN\""}}},
        {"KvEventCashier",
         {{"kv_cashier_name", "\"c\""}, {"kv_subitem", "\"s\""}, {"$is_first_time", "true"}, {"kvc_ab", "\"IN\""}}},
        {"KvEventShare",
         {{"kv_channel", "\"wx\""}, {"kv_result", "\"Unknown\""}, {"$is_first_time", "true"}, {"kvc_ab", "\"IN\""}}},
        {"KvEventTask",
         {{"kv_task_name", "\"下载器启动\""}, {"kv_task_elapsed", "12.5"}, {"$is_first_time", "true"}, {"kvc_ab", "\"IN\""}}},
        {"KvEventFile",
         {{"kv_aname", "\"f\""},
          {"kv_io", "\"Output\""},
          {"kv_fps", "29.97"},
          {"kv_width", "640"},
          {"kv_result", "\"Cancelled\""},
          {"$is_first_time", "true"},
          {"kvc_ab", "\"IN\""}}},
        {"KvEventOrder",
         {{"kv_suit_id", "\"s1\""},
          {"kv_currency", "\"USD\""},
          {"kv_original_amount", "9.5"},
          {"kv_paid_amount", "8"},
          {"kv_campaign_code", "7"},
          {"$is_first_time", "true"},
          {"kvc_ab", "\"IN\""}}},
        {"KvEventPayment",
         {{"kv_order_id", "\"o1\""},
          {"kv_currency", "\"CNY\""},
          {"kv_original_amount", "10"},
          {"kv_paid_amount", "0"},
          {"kv_paid_platform", "\"Alipay\""},
          {"kv_result", "\"Fail\""},
          {"kv_iap_type", "\"Consumable\""},
          {"$is_first_time", "true"},
          {"kvc_ab", "\"IN\""}}},
        {"KvEventUninstall", {{"kv_uninstall_reason", "\"too big\""}, {"kvc_ab", "\"IN\""}}},
        {"AppCrashed", {{"app_crashed_reason", "\"崩溃\""}}},
        {"KvEventUpdate", {{"kv_update_op", "\"UpdateCheck\""}, {"kv_update_result", "\"\""}, {"kvc_ab", "\"IN\""}}},
        {"AppOpenNotification",
         {{"$sf_msg_title", "\"hello\""}, {"$sf_plan_id", "\"p7\""}, {"$sf_plan_type", "\"push\""}, {"kvc_ab", "\"IN\""}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.event);
        const StatsRecord* r = FindEvent(records, row.event);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(OwnProperties(*r), row.own);
        // Every event carries the common properties.
        const Props p = r->Properties();
        EXPECT_EQ(p.at("kv_app_id"), "\"" + appName_ + "\"");
        EXPECT_EQ(p.at("$app_id"), "\"" + appName_ + "\"");
        EXPECT_EQ(p.at("$app_version"), "\"1.2.3\"");
        EXPECT_EQ(p.at("kv_app_store"), "\"TessaroSetup.exe\"");
        EXPECT_EQ(p.at("kv_dlapp_id"), "\"Tessaro\"");
        EXPECT_EQ(p.at("kv_edition"), "\"china\"");
        EXPECT_EQ(p.at("kv_app_platform"), "\"Windows\"");
        EXPECT_EQ(p.at("kv_track_type"), "\"Client\"");
        EXPECT_EQ(p.at("kv_sdk_version"), "\"3.3.8\"");
        EXPECT_EQ(p.at("kv_sdk"), "\"WindowsCPP\"");
        EXPECT_EQ(p.at("$os"), "\"Windows\"");
        EXPECT_EQ(p.at("$os_version"), "\"" + osNameAndVersion().version + "\"");
        EXPECT_EQ(p.at("$lib"), "\"cpp\"");
        EXPECT_EQ(p.count("kv_dlapp_version"), 0u) << "empty, so not sent";
        EXPECT_EQ(r->Text("lib.$lib_method"), "code");
    }
    // The profile updates after the activity and the payment carry only their one property.
    std::multiset<std::string> profiles;
    for (const StatsRecord& r : records) {
        if (r.Text("type").rfind("profile_", 0) != 0) continue;
        const auto p = r.Properties();
        ASSERT_EQ(p.size(), 1u) << r.Text("type");
        profiles.insert(r.Text("type") + " " + p.begin()->first);
        if (p.begin()->first == "kv_paid_count") {
            EXPECT_EQ(p.begin()->second, "1");
        }
        if (p.begin()->first == "kv_last_app_id") {
            EXPECT_EQ(p.begin()->second, "\"" + appName_ + "\"");
        }
        if (p.begin()->first == "kv_first_paid_date") {
            EXPECT_TRUE(std::regex_match(p.begin()->second, std::regex(R"("\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}")")));
        }
    }
    const std::multiset<std::string> expectedProfiles = {
        "profile_set_once $first_visit_time",  "profile_set_once kv_first_visit_date", "profile_set kv_last_visit_date",
        "profile_set kv_os",                   "profile_set kv_os_version",            "profile_set kv_app_store",
        "profile_set kv_app_platform",         "profile_set kv_last_app_id",           "profile_set kv_last_app_version",
        "profile_set_once $ios_install_source", "profile_increment kv_paid_count",     "profile_increment kv_consumption",
        "profile_set_once kv_first_paid_date", "profile_set kv_last_paid_date"};
    EXPECT_EQ(profiles, expectedProfiles);
    EXPECT_EQ(records.size(), 15u + expectedProfiles.size()) << "nothing else, nothing twice";
}

TEST_F(Tracker, ChecksRaiseAndTheWrapperAbsorbs) {
    const KvContextProperties none;
    struct Row {
        const char* operation;
        std::function<void(KvTracker&)> call;
        std::string message;
    };
    KvEventOrder order;
    order.suitId = "s";
    order.currency = Some(KvCurrency::CNY);
    order.originalAmount = 1;
    KvEventPayment payment;
    payment.orderId = "o";
    payment.currency = Some(KvCurrency::CNY);
    payment.paidPlatform = Some(KvPaidPlatform::PayPal);
    payment.result = Some(KvResult::Success);
    KvAppOpenNotification note;
    note.planId = "p";
    note.planType = "t";
    const Row rows[] = {
        {"trackClick", [&](KvTracker& t) { t.trackClick({}, none); }, "kvEventClick.name is empty"},
        {"trackClick",
         [&](KvTracker& t) {
             KvEventClick c;
             c.name = "n";
             c.clickType = static_cast<ClickType>(9);
             t.trackClick(c, none);
         },
         "Unknown ClickType [9]!"},
        {"trackView", [&](KvTracker& t) { t.trackView({}, none); }, "kvEventView.name is empty"},
        {"trackCashier", [&](KvTracker& t) { t.trackCashier({}, none); }, "kvEventCashier.kv_cashier_name is empty"},
        {"trackTask", [&](KvTracker& t) { t.trackTask({}, none); }, "kvEventTask.name is empty"},
        {"trackFile", [&](KvTracker& t) { t.trackFile({}, none); }, "kvEventFile.aname is empty"},
        {"trackOrder", [&](KvTracker& t) { t.trackOrder({}, none); }, "kvEventOrder.kvSuitId is empty"},
        {"trackOrder",
         [&](KvTracker& t) {
             KvEventOrder o = order;
             o.currency = nullptr;
             t.trackOrder(o, none);
         },
         "kvEventOrder.kvCurrency is nullptr"},
        {"trackOrder",
         [&](KvTracker& t) {
             KvEventOrder o = order;
             o.originalAmount = 0;
             t.trackOrder(o, none);
         },
         "kvEventOrder.originalAmount is less than zero"},
        {"trackOrder", [&](KvTracker& t) { t.trackOrder(order, none); }, "kvEventOrder.paidAmount is less than zero"},
        {"trackPayment", [&](KvTracker& t) { t.trackPayment({}, none); }, "kvEventPayment.kvOrderId is empty"},
        {"trackPayment",
         [&](KvTracker& t) {
             KvEventPayment p = payment;
             p.paidAmount = -1.5;
             p.originalAmount = -2;
             t.trackPayment(p, none);
         },
         "paidAmount = -1.500000 is invalid"},
        {"trackPayment",
         [&](KvTracker& t) {
             KvEventPayment p = payment;
             p.originalAmount = -2;
             t.trackPayment(p, none);
         },
         "originalAmount = -2.000000 is invalid"},
        {"trackPayment",
         [&](KvTracker& t) {
             KvEventPayment p = payment;
             p.result = Some(KvResult::Cancelled);
             t.trackPayment(p, none);
         },
         "kvEventPayment.result is invalid"},
        {"trackPayment",
         [&](KvTracker& t) {
             KvEventPayment p = payment;
             p.paidPlatform = nullptr;
             t.trackPayment(p, none);
         },
         "kvEventPayment.paidPlatform is nullptr"},
        {"trackUpdate", [&](KvTracker& t) { t.trackUpdate({KvUpdateOp::DownloadEnd, nullptr, Some(1.0)}, none); },
         "Unknown updateResultInfo info"},
        {"trackUpdate",
         [&](KvTracker& t) { t.trackUpdate({KvUpdateOp::UpgrateEnd, Some(KvUpdateResult::Fail), nullptr}, none); },
         "invalid elapsed info"},
        {"trackAppOpenNotification", [&](KvTracker& t) { t.trackAppOpenNotification(nullptr, none); },
         "&appOpenNotification is nullptr"},
        {"trackAppOpenNotification",
         [&](KvTracker& t) {
             KvAppOpenNotification n;
             t.trackAppOpenNotification(&n, none);
         },
         "planID is emptry"},
        {"trackAppOpenNotification",
         [&](KvTracker& t) {
             KvAppOpenNotification n = note;
             n.planType.clear();
             t.trackAppOpenNotification(&n, none);
         },
         "planType is emptry"},
        {"trackAppOpenNotification", [&](KvTracker& t) { t.trackAppOpenNotification(&note, none); }, "msgTitle is emptry"},
    };
    auto impl = Make(Config());
    KvTracker& direct = *impl;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        try {
            row.call(direct);
            ADD_FAILURE() << "no exception";
        } catch (const KvException& e) {
            EXPECT_EQ(std::string(e.what()), row.message);
            EXPECT_EQ(e.unit(), "KvTrackerImpl");
            if (row.message.rfind("Unknown ClickType", 0) != 0) {
                EXPECT_EQ(e.function(), row.operation);
            }
        }
    }
    KvTrackerWrapper wrapper(std::move(impl));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        testing::internal::CaptureStdout();
        row.call(wrapper);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failed to " + std::string(row.operation) + "\n");
    }
    EXPECT_EQ(event_sdk::QueuedRecords(), 0u) << "nothing recorded for a failed check";
    EXPECT_EQ(wrapper.logger(), nullptr);
    EXPECT_FALSE(wrapper.primaryDistinctId().empty());
}

TEST_F(Tracker, FailedSetUpRecordsNothingAndWrapperStaysQuiet) {
    struct Row {
        const char* field;
        std::string message;
    } rows[] = {{"appName", "appName is empty"}, {"appVersion", "appVersion is empty"}, {"appStore", "appStore is empty"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field);
        TrackerConfig c = Config();
        (row.field == std::string("appName") ? c.appName : row.field == std::string("appVersion") ? c.appVersion : c.appStore)
            .clear();
        auto impl = std::make_unique<KvTrackerImpl>(c);
        EXPECT_EQ(Raised([&] { impl->init(); }), row.message);
        KvTrackerWrapper wrapper(std::move(impl));
        testing::internal::CaptureStdout();
        wrapper.trackClick({}, KvContextProperties());  // fails its check: no log sink, no line
        wrapper.trackClick(Click("ok"), KvContextProperties());
        wrapper.trackCrash("x");
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(event_sdk::QueuedRecords(), 0u);
        EXPECT_FALSE(event_sdk::HasInstance());
    }
    EXPECT_TRUE(Received().empty());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(platform::LocalAppDataFolder()) / "KVLocal" / Wide(appName_)))
        << "no tracker files without a set-up";
    KvTrackerWrapper empty(nullptr);
    empty.trackCrash("x");
    EXPECT_EQ(empty.primaryDistinctId(), "");
}

TEST_F(Tracker, IdentityAcrossRunsAndServers) {
    std::string identityFile, firstId;
    {
        auto t = Make(Config());
        identityFile = t->context().identityFile;
        firstId = t->primaryDistinctId();
        EXPECT_TRUE(std::regex_match(firstId, std::regex("[0-9A-F-]{36}")));
        EXPECT_EQ(ReadIni(identityFile, L"Base", L"DistinctId"), firstId);
        EXPECT_EQ(ReadIni(identityFile, L"Base", L"PrimaryDistinctId"), firstId);
        EXPECT_EQ(ReadIni(identityFile, L"Base", L"URL"), StatsUrl(token_));
        EXPECT_EQ(ReadIni(identityFile, L"Base", L"isLogined"), "NG");
        EXPECT_EQ(ReadIni(identityFile, L"UninstallInfo", L"AppStore"), "TessaroSetup.exe");
        EXPECT_EQ(ReadIni(identityFile, L"UninstallInfo", L"AppName"), appName_);
        EXPECT_EQ(ReadIni(identityFile, L"UninstallInfo", L"AppVersion"), "1.2.3");
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(Wide(t->context().logPath))));
        EXPECT_EQ(t->context().logPath, t->context().dataFolder + appName_ + "_KVSLog.txt");
        KvUserInfo user;
        user.userId = "user-42";
        user.vipLevel = 3;
        t->trackLogin(user, true, "", KvContextProperties());
        t->trackView(View("v1"), KvContextProperties());
    }
    EXPECT_EQ(ReadIni(identityFile, L"Base", L"isLogined"), "OK");
    EXPECT_EQ(ReadIni(identityFile, L"Base", L"UserId"), "user-42");
    EXPECT_EQ(ReadIni(identityFile, L"Base", L"UserVipLevel"), "3");
    {
        // Same server: still logged in; events go under the user id.
        auto t = Make(Config());
        EXPECT_EQ(t->primaryDistinctId(), firstId);
        t->trackView(View("v2"), KvContextProperties());
    }
    std::vector<StatsRecord> records = Received();
    bool sawSignup = false;
    for (const StatsRecord& r : records) {
        if (r.Text("type") == "track_signup") {
            sawSignup = true;
            EXPECT_EQ(r.Text("distinct_id"), "user-42");
            EXPECT_EQ(r.Text("original_id"), firstId);
        }
        if (r.Text("type") == "track" && r.Text("event") == "KvEventView") {
            EXPECT_EQ(r.Text("distinct_id"), "user-42") << r.Text("properties.kv_name");
            EXPECT_EQ(r.Json("properties.$is_login_id"), "true");
            EXPECT_EQ(r.Text("properties.kv_user_id"), "user-42");
        }
    }
    EXPECT_TRUE(sawSignup);
    {
        // Another server: logged out, back to the device's first id.
        TrackerConfig other = Config();
        other.serverUrl = StatsUrl(token_ + "b");
        auto t = Make(other);
        EXPECT_EQ(t->context().UserId, "");
        EXPECT_FALSE(t->context().loggedIn);
        EXPECT_EQ(t->context().DistinctId, firstId);
        t->trackView(View("v3"), KvContextProperties());
    }
    EXPECT_EQ(ReadIni(identityFile, L"Base", L"isLogined"), "NG");
    EXPECT_EQ(ReadIni(identityFile, L"Base", L"URL"), StatsUrl(token_ + "b"));
    records = ReceivedRecords(token_ + "b");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Text("distinct_id"), firstId);
    EXPECT_FALSE(records[0].Has("properties.$is_login_id"));
    EXPECT_FALSE(records[0].Has("properties.kv_user_id"));
}

TEST_F(Tracker, LaterKindsWaitForTheRelease) {
    auto t = Make(Config());
    for (int i = 0; i < 3; ++i) t->trackClick(Click("c" + std::to_string(i)), KvContextProperties());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // room for any (wrong) upload thread
    EXPECT_TRUE(Received().empty()) << "clicks are not uploaded on their own";
    EXPECT_EQ(event_sdk::QueuedRecords(), 3u);
    EXPECT_GT(t->pendingFlushes(), 0);
    t.reset();
    const auto records = Received();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].Text("properties.kv_name"), "c2");
}

TEST_F(Tracker, CrashFirstFindsNothingPendingAndIsStaged) {
    std::string staging;
    {
        auto t = Make(Config());
        staging = t->stagingFile();
        EXPECT_EQ(staging, t->context().dataFolder + appName_ + "_KVSQueue.dat");
        t->trackCrash("first");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(t->pendingFlushes(), 0);
    }
    EXPECT_TRUE(Received().empty()) << "nothing was pending";
    // Not lost: the next run sends it.
    {
        auto t = Make(Config());
        t->trackCrash("second");  // a now-kind request with nothing pending again
        t->trackClick(Click("c"), KvContextProperties());
    }
    const auto records = Received();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Text("properties.app_crashed_reason"), "first");
    EXPECT_EQ(records[1].Text("properties.app_crashed_reason"), "second");
}

// Makes the last upload a failed one, as after a run of refused batches.
void FailAnUpload(const std::string& token, KvTracker& tracker) {
    StatsAnswer(token, 503);
    tracker.trackClick(Click("refused"), KvContextProperties());
    ASSERT_FALSE(event_sdk::flushQueue());
    ASSERT_FALSE(event_sdk::lastSendOk());
}

// Debugger messages carry no line ends: count the occurrences.
int AsyncLines(testing_support::CaptureLog& log) {
    static const std::wstring message = L"[Stats] Sending messages asynchronously";
    const std::wstring text = log.Text();
    int n = 0;
    for (size_t at = text.find(message); at != std::wstring::npos; at = text.find(message, at + 1)) ++n;
    return n;
}

TEST_F(Tracker, AsynchronousFlushWhileUploadsFail) {
    auto t = Make(Config());
    FailAnUpload(token_, *t);
    StatsAnswer(token_, 200);
    {
        testing_support::CaptureLog log;  // its text is read once, at the end of the capture
        t->trackView(View("later"), KvContextProperties());  // only counted, on the caller's thread
        EXPECT_EQ(AsyncLines(log), 0);
    }
    {
        testing_support::CaptureLog log;
        t->trackCrash("now");  // uploads on a thread of its own
        for (int i = 0; i < 500 && Received().size() < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(AsyncLines(log), 1);
    }
    ASSERT_EQ(Received().size(), 3u);
    EXPECT_TRUE(event_sdk::lastSendOk());
    {
        // With the last upload accepted, requests run on the caller's thread: uploaded on return.
        testing_support::CaptureLog log;
        t->trackClick(Click("inline"), KvContextProperties());
        t->trackCrash("inline");
        EXPECT_EQ(Received().size(), 5u);
        EXPECT_EQ(AsyncLines(log), 0);
    }
}

TEST_F(Tracker, ReleaseWaitsForAFlushThreadAndLosesNothing) {
    std::string staging;
    {
        auto t = Make(Config());
        staging = t->stagingFile();
        FailAnUpload(token_, *t);
        StatsAnswer(token_, 200, 0.5);  // slow answers
        for (int i = 0; i < 40; ++i) t->trackClick(Click("c" + std::to_string(i)), KvContextProperties());
        t->trackCrash("now");  // a thread uploads two slow batches; the release comes at once
    }
    std::size_t staged = 0;
    {
        std::ifstream in(std::filesystem::path(Wide(staging)));
        std::string line;
        while (std::getline(in, line)) staged += !line.empty();
    }
    EXPECT_EQ(staged, 0u);
    EXPECT_EQ(Received().size(), 42u) << "the thread's upload finished before the release went on";
}


TEST_F(Tracker, EventsFromSeveralThreadsDuringFlushes) {
    constexpr int kThreads = 4;
    constexpr int kEach = 50;
    int crashes = 0;
    {
        KvTrackerWrapper tracker(Make(Config()));
        std::vector<std::thread> threads;
        for (int n = 0; n < kThreads; ++n) {
            threads.emplace_back([&tracker, n] {
                KvContextProperties ab;
                ab.setProperty("kvc_ab", "IN", {static_cast<int>(KvEventType::Click), static_cast<int>(KvEventType::Task)});
                for (int i = 0; i < kEach; ++i) {
                    const std::string name = "t" + std::to_string(n) + "e" + std::to_string(i);
                    if (i % 2) {
                        tracker.trackClick(Click(name), ab);
                    } else {
                        tracker.trackTask({"", name, "", Some(1.0), Some(KvResult::Success)}, ab);
                    }
                }
            });
        }
        // Uploads now and then while the threads record.
        for (; crashes < 10; ++crashes) {
            tracker.trackCrash("c" + std::to_string(crashes));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        for (std::thread& t : threads) t.join();
        tracker.trackClick(Click("last"), KvContextProperties());
    }
    std::set<std::string> names;
    for (const StatsRecord& r : Received()) {
        names.insert(r.Text("properties.kv_name") + r.Text("properties.kv_task_name") + r.Text("properties.app_crashed_reason"));
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(kThreads * kEach + crashes + 1)) << "every event once";
    EXPECT_EQ(Received().size(), names.size());
}

}  // namespace
