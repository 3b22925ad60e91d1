// The cost of recording a statistics event on the calling thread (no network, no disk): at the
// SDK, and through the installer's report (wide texts, A/B context, tracker, SDK, flush request);
// and of building, compressing and encoding one batch of 30 records. Prints figures; the goal for
// recording is under 50 microseconds an event.
//   build/native/bench/event_sdk_bench [EVENTS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <stdlib.h>

#include "statistics/event_sdk.h"
#include "statistics/event_sdk_transport.h"
#include "statistics/installer_reports.h"

namespace {

// Properties like those of the installer's click event: two dozen short texts.
event_sdk::PropertiesNode ClickProperties() {
    event_sdk::PropertiesNode p;
    const char* keys[] = {"$app_id",       "$app_version",    "$os",          "$os_version",       "kv_app_id",
                          "kv_app_platform", "kv_app_store",  "kv_click_type", "kv_dlapp_id",      "kv_edition",
                          "kv_l10n_country", "kv_l10n_language", "kv_l10n_locale", "kv_name",      "kv_sdk",
                          "kv_sdk_version",  "kv_track_type", "kvc_ab"};
    for (const char* key : keys) p.SetString(key, std::string(key) + " value 立即安装");
    p.SetBool("$is_first_time", true);
    p.SetInteger("$screen_height", 1080);
    p.SetInteger("$screen_width", 1920);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    const int events = argc > 1 ? std::atoi(argv[1]) : 1000;
    // Nothing listens at this address: flushing is not measured here.
    event_sdk::Init("/dev/null", "http://127.0.0.1:1/events?project=pc", "0123456789ABCDEF0123456789ABCDEF", false);
    const event_sdk::PropertiesNode properties = ClickProperties();

    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < events; ++i) event_sdk::track("KvEventClick", properties);
    const double perEvent =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / events;

    // One batch as the upload builds it.
    std::string record;
    {
        event_sdk::PropertiesNode lib;
        lib.SetString("$lib", "cpp");
        event_sdk::PropertiesNode r;
        r.SetInteger("_track_id", 123456789);
        r.SetString("distinct_id", "0123456789ABCDEF0123456789ABCDEF");
        r.SetString("event", "KvEventClick");
        r.SetObject("lib", lib);
        r.SetObject("properties", properties);
        r.SetInteger("time", 1700000000000);
        r.SetString("type", "track");
        record = r.ToJson();
    }
    std::string batch = "[";
    for (int i = 0; i < 30; ++i) batch += (i ? "," : "") + record;
    batch += "]";
    const int rounds = 200;
    std::size_t bodySize = 0;
    const auto batchStart = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) bodySize = event_sdk::BatchBody(batch).value_or("").size();
    const double perBatch =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - batchStart).count() / rounds;

    event_sdk::Shutdown();

    // The installer's path: the tracker's folder in a scratch data folder, a server nobody serves.
    char scratch[] = "/tmp/event_sdk_bench.XXXXXX";
    if (!mkdtemp(scratch)) return 1;
    setenv("XDG_DATA_HOME", scratch, 1);
    tracking::StartStatistics("http://127.0.0.1:1/events?project=pc");
    const tracking::AbMap ab = tracking::MakeAbMap(L"IN");
    const auto reportStart = std::chrono::steady_clock::now();
    for (int i = 0; i < events; ++i) {
        if (i % 2) {
            tracking::reportClick(ab, L"立即安装");
        } else {
            tracking::reportTask(L"大包下载完毕", 12.5, L"", ab);
        }
    }
    const double perReport =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - reportStart).count() / events;
    std::printf("recording one event at the SDK:      %8.2f us (goal < 50 us; %d events)\n", perEvent, events);
    std::printf("one installer report (click/task):   %8.2f us (goal < 50 us; with the common properties)\n", perReport);
    std::printf("batch of 30 records (%zu bytes JSON): %8.1f us to gzip, Base64 and percent-encode (%zu bytes posted)\n",
                batch.size(), perBatch, bodySize);
    tracking::StopStatistics();  // stages what it could not send into the scratch folder
    std::string cleanup = std::string("rm -rf ") + scratch;
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
