#include <curl/curl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <regex>
#include <thread>

#include "platform/text.h"
#include "statistics/event_sdk.h"
#include "statistics/event_sdk_transport.h"
#include "support/package_servers.h"
#include "support/stats_records.h"
#include "support/temp_dir.h"

namespace {

using testing::HasSubstr;
using testing_support::PackageServers;

const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new testing_support::CurlEnvironment);

// ---------------------------------------------------------------- values and checks

TEST(EventSdkValues, JsonForms) {
    event_sdk::PropertiesNode p;
    p.SetNumber("n", 12.5);
    p.SetNumber("m", 1000000);
    p.SetNumber("a", 0);
    p.SetInteger("i", -42);
    p.SetBool("b", true);
    p.SetList("l", {"x", "y\"z"});
    EXPECT_TRUE(p.SetString("s", "quote\" back\\ tab\t nl\n é"));
    event_sdk::PropertiesNode inner;
    inner.SetInteger("k", 1);
    p.SetObject("o", inner);
    EXPECT_EQ(p.ToJson(), "{\"a\":0,\"b\":true,\"i\":-42,\"l\":[\"x\",\"y\\\"z\"],\"m\":1e+06,\"n\":12.5,"
                          "\"o\":{\"k\":1},\"s\":\"quote\\\" back\\\\ tab\\t nl\\n \xC3\xA9\"}");
    event_sdk::PropertiesNode t;
    t.SetTime("$time", {0, 7});
    EXPECT_TRUE(std::regex_match(t.ToJson(), std::regex(R"(\{"\$time":"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.007"\})")))
        << t.ToJson();
}

TEST(EventSdkValues, TextChecks) {
    struct Row {
        const char* name;
        std::string text;
        bool valid;
    } rows[] = {
        {"ascii and white space", "a b\t\r\n~", true},
        {"two bytes", "\xC3\xA9", true},
        {"three bytes", "\xE5\xAE\x89", true},
        {"four bytes", "\xF0\x9F\x98\x80", true},
        {"delete byte", "a\x7F", false},
        {"bell", "\x07", false},
        {"overlong", "\xC0\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"truncated", "\xE5\xAE", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(event_sdk::IsValidText(row.text), row.valid);
        event_sdk::PropertiesNode p;
        EXPECT_EQ(p.SetString("k", row.text), row.valid);
        EXPECT_EQ(p.Values().count("k"), row.valid ? 1u : 0u);
    }
    event_sdk::PropertiesNode p;
    EXPECT_TRUE(p.SetString("k", std::string(8192, 'x')));
    EXPECT_FALSE(p.SetString("k", std::string(8193, 'x')));
    EXPECT_EQ(std::get<std::string>(p.Values().at("k").value).size(), 8192u) << "the old value stays";
}

TEST(EventSdkValues, NamesAndIds) {
    EXPECT_TRUE(event_sdk::CheckVariableName("$app_id", "Property Key"));
    EXPECT_TRUE(event_sdk::CheckVariableName("_a9", "Property Key"));
    EXPECT_FALSE(event_sdk::CheckVariableName("9a", "Event Name"));
    EXPECT_FALSE(event_sdk::CheckVariableName("a-b", "Event Name"));
    EXPECT_FALSE(event_sdk::CheckVariableName("", "Event Name"));
    EXPECT_TRUE(event_sdk::CheckVariableName(std::string(100, 'a'), "Event Name"));
    EXPECT_FALSE(event_sdk::CheckVariableName(std::string(101, 'a'), "Event Name"));
    EXPECT_TRUE(event_sdk::CheckId(std::string(255, 'x'), "Distinct ID"));
    EXPECT_FALSE(event_sdk::CheckId(std::string(256, 'x'), "Distinct ID"));
    EXPECT_FALSE(event_sdk::CheckId("", "Distinct ID"));
}

// ---------------------------------------------------------------- transport

TEST(EventSdkTransport, Encodings) {
    // RFC 4648 test vectors.
    const std::pair<const char*, const char*> base64[] = {{"", ""},          {"f", "Zg=="},         {"fo", "Zm8="},
                                                          {"foo", "Zm9v"},   {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
                                                          {"foobar", "Zm9vYmFy"}};
    for (const auto& [in, out] : base64) EXPECT_EQ(event_sdk::Base64(in), out);
    EXPECT_EQ(event_sdk::PercentEncode("aZ09-._~+/= \xC3\xA9"), "aZ09-._~%2B%2F%3D%20%C3%A9");

    const std::string text = "[{\"event\":\"KvEventClick\"}]";
    const auto gz = event_sdk::Gzip(text);
    ASSERT_TRUE(gz);
    ASSERT_GE(gz->size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>((*gz)[0]), 0x1F);  // gzip magic
    EXPECT_EQ(static_cast<unsigned char>((*gz)[1]), 0x8B);
    z_stream s{};
    ASSERT_EQ(inflateInit2(&s, 31), Z_OK);
    std::string back(text.size() + 16, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz->data()));
    s.avail_in = static_cast<uInt>(gz->size());
    s.next_out = reinterpret_cast<Bytef*>(back.data());
    s.avail_out = static_cast<uInt>(back.size());
    EXPECT_EQ(inflate(&s, Z_FINISH), Z_STREAM_END);
    back.resize(s.total_out);
    inflateEnd(&s);
    EXPECT_EQ(back, text);
}

// ---------------------------------------------------------------- the SDK against the collector

class EventSdk : public testing::Test {
protected:
    void SetUp() override { staging_ = platform::WideToUtf8(dir_.Child(L"staging.dat")); }
    void TearDown() override { event_sdk::Shutdown(); }
    // The uploads of this test only.
    std::string Url() const { return PackageServers::Get().stats + "/t=" + token_ + "/events?project=pc"; }
    std::string Received() { return testing_support::HttpGet(PackageServers::Get().stats + "/received?t=" + token_); }
    std::string Raw() { return testing_support::HttpGet(PackageServers::Get().stats + "/raw?t=" + token_); }
    void Answer(int status) {
        testing_support::HttpGet(PackageServers::Get().stats + "/ctl?t=" + token_ + "&status=" + std::to_string(status));
    }
    static void Track(int count, const std::string& prefix = "Event") {
        for (int i = 0; i < count; ++i) {
            event_sdk::PropertiesNode p;
            p.SetInteger("n", i);
            EXPECT_TRUE(event_sdk::track(prefix + std::to_string(i), p));
        }
    }

    testing_support::TempDir dir_;
    std::string staging_;
    const std::string token_ = PackageServers::NewToken();
};

TEST_F(EventSdk, UploadsInBatchesOfThirty) {
    ASSERT_TRUE(event_sdk::Init(staging_, Url(), "DEVICE0123", false));
    Track(61);
    EXPECT_EQ(event_sdk::QueuedRecords(), 61u);
    EXPECT_TRUE(event_sdk::flushQueue());
    EXPECT_TRUE(event_sdk::lastSendOk());
    EXPECT_EQ(event_sdk::QueuedRecords(), 0u);
    const std::string received = Received();
    EXPECT_THAT(received, HasSubstr("\"batches\": [30, 30, 1]"));
    EXPECT_THAT(received, HasSubstr("\"bad\": 0"));
    EXPECT_THAT(received, HasSubstr("Analytics CPP SDK 0.9"));
    EXPECT_TRUE(event_sdk::flushQueue()) << "an empty queue uploads nothing";
}

TEST_F(EventSdk, RecordLayout) {
    ASSERT_TRUE(event_sdk::Init(staging_, Url(), "DEVICE0123", false));
    event_sdk::PropertiesNode common;
    common.SetString("$app_id", "Tessaro");
    event_sdk::mergeCommonProperties(common);
    event_sdk::PropertiesNode p;
    p.SetString("kv_name", "立即安装");
    p.SetString("$project", "pc");
    p.SetTime("$time", {1700000000, 250});
    ASSERT_TRUE(event_sdk::track("KvEventClick", p));
    event_sdk::PropertiesNode profile;
    profile.SetInteger("count", 1);
    ASSERT_TRUE(event_sdk::profileSet(profile));
    ASSERT_TRUE(event_sdk::flushQueue());
    const std::string received = Raw();
    // Keys in byte order; the common properties under the event's; "$time" and "$project" lifted out.
    const std::regex click(
        R"(\{"_track_id":\d{1,9},"distinct_id":"DEVICE0123","event":"KvEventClick",)"
        R"("lib":\{"\$lib":"cpp","\$lib_method":"code","\$lib_version":"0.9"\},"project":"pc",)"
        R"("properties":\{"\$app_id":"Tessaro","\$lib":"cpp","\$lib_version":"0.9","kv_name":"立即安装"\},)"
        R"("time":1700000000250,"type":"track"\})");
    EXPECT_TRUE(std::regex_search(received, click)) << received;
    const std::regex profileRecord(R"("distinct_id":"DEVICE0123","lib":\{[^}]*\},"properties":\{"count":1\},"time":\d+,"type":"profile_set"\})");
    EXPECT_TRUE(std::regex_search(received, profileRecord)) << received;
}

TEST_F(EventSdk, ChecksDropRecords) {
    ASSERT_FALSE(event_sdk::Init(staging_, Url(), "", false)) << "an empty distinct id";
    ASSERT_TRUE(event_sdk::Init(staging_, Url(), "DEVICE0123", false));
    event_sdk::PropertiesNode wrongTime;
    wrongTime.SetString("$time", "now");
    EXPECT_FALSE(event_sdk::track("KvEventClick", wrongTime));
    EXPECT_FALSE(event_sdk::track("9Click", event_sdk::PropertiesNode()));
    event_sdk::PropertiesNode badKey;
    badKey.SetInteger("bad-key", 1);
    EXPECT_FALSE(event_sdk::track("KvEventClick", badKey));
    EXPECT_EQ(event_sdk::QueuedRecords(), 0u);
}

TEST_F(EventSdk, SignupSwitchesTheDistinctId) {
    ASSERT_TRUE(event_sdk::Init(staging_, Url(), "DEVICE0123", false));
    ASSERT_TRUE(event_sdk::trackSignup("user-7"));
    ASSERT_TRUE(event_sdk::track("KvEventView", event_sdk::PropertiesNode()));
    ASSERT_TRUE(event_sdk::flushQueue());
    const std::string received = Raw();
    EXPECT_TRUE(std::regex_search(received, std::regex(R"("distinct_id":"user-7","event":"\$SignUp",.*"original_id":"DEVICE0123")")))
        << received;
    EXPECT_TRUE(std::regex_search(received, std::regex(R"("distinct_id":"user-7","event":"KvEventView".*"\$is_login_id":true)")))
        << received;
}

TEST_F(EventSdk, RefusedBatchesGoBackAndQueueIsBounded) {
    ASSERT_TRUE(event_sdk::Init(staging_, Url(), "DEVICE0123", false));
    Track(1025);
    EXPECT_EQ(event_sdk::QueuedRecords(), 1024u) << "the oldest record was dropped";
    Answer(500);
    EXPECT_FALSE(event_sdk::flushQueue());
    EXPECT_FALSE(event_sdk::lastSendOk());
    EXPECT_EQ(event_sdk::QueuedRecords(), 1024u) << "the refused batch is back";
    Answer(200);
    EXPECT_TRUE(event_sdk::flushQueue());
    const std::string received = Received();
    EXPECT_THAT(received, testing::Not(HasSubstr("\"event\": \"Event0\"")));
    EXPECT_THAT(received, HasSubstr("\"event\": \"Event1\""));
    EXPECT_THAT(received, HasSubstr("\"event\": \"Event1024\""));
}

TEST_F(EventSdk, StagingFileCarriesRecordsToTheNextRun) {
    ASSERT_TRUE(event_sdk::Init(staging_, "http://127.0.0.1:1/events?project=pc", "DEVICE0123", false));
    Track(3, "Offline");
    EXPECT_FALSE(event_sdk::flushQueue()) << "nobody listens";
    EXPECT_EQ(event_sdk::QueuedRecords(), 3u);
    event_sdk::Shutdown();
    // The next run, with the server back, uploads them first.
    ASSERT_TRUE(event_sdk::Init(staging_, Url(), "DEVICE0123", false));
    Track(1, "Online");
    EXPECT_TRUE(event_sdk::flushQueue());
    const std::string received = Received();
    EXPECT_THAT(received, HasSubstr("\"batches\": [4]"));
    const size_t offline = received.find("Offline0");
    const size_t online = received.find("Online0");
    ASSERT_NE(offline, std::string::npos);
    ASSERT_NE(online, std::string::npos);
    EXPECT_LT(offline, online) << "staged records go first";
}

TEST_F(EventSdk, RefusedBatchGoesBackOnlyAsFarAsThereIsRoom) {
    ASSERT_TRUE(event_sdk::Init(staging_, Url(), "DEVICE0123", false));
    Track(1024, "Old");
    testing_support::StatsAnswer(token_, 503, 0.5);
    std::thread upload([] { EXPECT_FALSE(event_sdk::flushQueue()); });
    // While the first batch of 30 is out, 16 more arrive: 1010 are queued behind it.
    for (int i = 0; i < 100 && event_sdk::QueuedRecords() != 994; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(event_sdk::QueuedRecords(), 994u);
    Track(16, "New");
    upload.join();
    EXPECT_EQ(event_sdk::QueuedRecords(), 1024u) << "only the batch's last 14 went back";
    testing_support::StatsAnswer(token_, 200);
    EXPECT_TRUE(event_sdk::flushQueue());
    const std::string received = Received();
    EXPECT_THAT(received, testing::Not(HasSubstr("\"event\": \"Old15\"")));
    EXPECT_THAT(received, HasSubstr("\"event\": \"Old16\""));
    EXPECT_THAT(received, HasSubstr("\"event\": \"New15\""));
}

}  // namespace
