#include "statistics/event_sdk.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "platform/debug_output.h"
#include "platform/file_ops.h"
#include "platform/text.h"
#include "statistics/event_sdk_transport.h"

namespace event_sdk {
namespace {

std::int64_t NewTrackId() {
    const int r1 = (std::rand() % 99 + 100) % 100;
    const int r2 = (std::rand() % 999 + 1000) % 1000;
    const std::int64_t t = NowMilliseconds() % 10000;
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%02d%03d%04lld", r1, r2, static_cast<long long>(t));
    return std::strtoll(digits, nullptr, 10);
}

// Paths travel as UTF-8 here; the wide form reaches every path on Windows.
std::wstring FsPath(const std::string& utf8) { return platform::Utf8ToWide(utf8); }

// Calls `line` with each line of `file` (without its line end).
template <class LineHandler>
void ForEachLine(std::FILE* file, LineHandler&& line) {
    std::string current;
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) {
        const char* piece = buffer;
        const char* const end = buffer + n;
        while (const char* lf = static_cast<const char*>(std::memchr(piece, '\n', static_cast<std::size_t>(end - piece)))) {
            current.append(piece, lf);
            line(current);
            current.clear();
            piece = lf + 1;
        }
        current.append(piece, end);
    }
    if (!current.empty()) line(current);
}

class RecordQueue {
public:
    RecordQueue(std::string stagingPath, std::string serverUrl)
        : stagingPath_(std::move(stagingPath)), serverUrl_(std::move(serverUrl)) {}

    void Add(std::string record) {
        std::lock_guard<std::mutex> lock(queueLock_);
        records_.push_back(std::move(record));
        if (records_.size() > kQueueCapacity) records_.pop_front();
    }

    std::size_t Size() {
        std::lock_guard<std::mutex> lock(queueLock_);
        return records_.size();
    }

    bool Flush() {
        LoadOnce();
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(queueLock_);
                if (records_.empty()) return true;
            }
            if (!SendBatch()) return false;
        }
    }

    // Writes what is queued into the staging file, replacing its content. An upload still running
    // on another thread ends first (its batch back in the queue if refused), and no batch is taken
    // out afterwards: what is written is all that is left.
    void Persist() {
        std::lock_guard<std::mutex> send(sendLock_);
        closed_ = true;
        LoadOnce();
        std::lock_guard<std::mutex> lock(queueLock_);
        const platform::UniqueFile out = platform::OpenForWrite(FsPath(stagingPath_));
        if (!out) return;  // a staging file that cannot be written loses nothing a crash would not
        for (const std::string& record : records_) {
            (void)std::fwrite(record.data(), 1, record.size(), out.get());
            (void)std::fputc('\n', out.get());
        }
    }

private:
    void LoadOnce() {
        std::lock_guard<std::mutex> lock(queueLock_);
        if (!loadPending_) return;
        loadPending_ = false;
        const std::size_t room = kQueueCapacity - std::min(kQueueCapacity, records_.size());
        if (room == 0) return;
        std::deque<std::string> kept;
        if (const platform::UniqueFile in = platform::OpenForRead(FsPath(stagingPath_))) {
            ForEachLine(in.get(), [&](std::string& line) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (line.size() >= 2 && line.front() == '{' && line.back() == '}') kept.push_back(std::move(line));
                if (kept.size() > room) kept.pop_front();
            });
        }
        records_.insert(records_.begin(), kept.begin(), kept.end());
        (void)platform::OpenForWrite(FsPath(stagingPath_));  // emptied: its records are queued now
    }

    // Puts a batch back at the front, as far as there is room (its newest records first).
    void PutBack(std::deque<std::string>& batch) {
        std::lock_guard<std::mutex> lock(queueLock_);
        const std::size_t room = kQueueCapacity - std::min(kQueueCapacity, records_.size());
        while (batch.size() > room) batch.pop_front();
        records_.insert(records_.begin(), batch.begin(), batch.end());
    }

    bool SendBatch() {
        std::lock_guard<std::mutex> send(sendLock_);
        if (closed_) return false;  // persisted already: the records stay for the next run
        std::deque<std::string> batch;
        {
            std::lock_guard<std::mutex> lock(queueLock_);
            const std::size_t n = std::min(kBatchSize, records_.size());
            batch.assign(records_.begin(), records_.begin() + static_cast<std::ptrdiff_t>(n));
            records_.erase(records_.begin(), records_.begin() + static_cast<std::ptrdiff_t>(n));
        }
        if (batch.empty()) return true;
        bool accepted = false;
        try {
            std::string text = "[";
            for (std::size_t i = 0; i < batch.size(); ++i) text += (i ? "," : "") + batch[i];
            text += "]";
            const auto body = BatchBody(text);
            if (body) {
                const Response response = Post(serverUrl_, *body);
                accepted = response.status == 200;
                if (!accepted) {
                    platform::DebugOutput(L"[stats] Analytics SDK send failed");
                    Complain("Analytics SDK send failed: " + response.body);
                }
                SetLastSendOk(accepted);
            }
        } catch (const std::exception& e) {
            Complain(std::string("Exception when flush failed: (") + e.what() + ") ");
        } catch (...) {
            // Nothing to say about an unknown exception; the batch goes back below.
        }
        // A refused batch, also one that could not be sent at all, goes back: nothing is lost.
        if (!accepted) PutBack(batch);
        return accepted;
    }

public:
    static void SetLastSendOk(bool ok);

private:
    std::mutex queueLock_;
    std::mutex sendLock_;
    std::deque<std::string> records_;
    const std::string stagingPath_;
    const std::string serverUrl_;
    bool loadPending_ = true;
    bool closed_ = false;  // guarded by sendLock_
};

std::mutex g_lastSendMutex;
bool g_lastSendOk = false;

void RecordQueue::SetLastSendOk(bool ok) {
    std::lock_guard<std::mutex> lock(g_lastSendMutex);
    g_lastSendOk = ok;
}

struct Instance {
    // The common properties and the id change at run time (locale, login) while other threads
    // record events.
    std::mutex stateLock;
    PropertiesNode common;
    std::string distinctId;
    bool isLoginId = false;
    std::unique_ptr<RecordQueue> queue;

    struct Snapshot {
        PropertiesNode common;
        std::string distinctId;
        bool isLoginId;
    };
    Snapshot Read() {
        std::lock_guard<std::mutex> lock(stateLock);
        return {common, distinctId, isLoginId};
    }
};

std::mutex g_instanceMutex;
std::shared_ptr<Instance> g_instance;

std::shared_ptr<Instance> Current() {
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    return g_instance;
}

// Adds one record under the instance's current id, or for a sign-up under `loginId` with the
// current id as the original one (the id then switches to the login id).
bool AddRecord(const std::string& type, const std::string& event, const PropertiesNode& given,
               const std::string& loginId = {}) {
    const std::shared_ptr<Instance> sdk = Current();
    if (!sdk) return false;
    for (const auto& [key, value] : given.Values()) {
        if (!CheckVariableName(key, "Property Key")) return false;
        if (key == "$time" && !std::holds_alternative<Time>(value.value)) {
            Complain("The property '$time' should be DateTime type.");
            return false;
        }
        if (key == "$project" && !std::holds_alternative<std::string>(value.value)) {
            Complain("The property '$project' should be String type.");
            return false;
        }
    }
    if (type == "track" && !CheckVariableName(event, "Event Name")) return false;

    Instance::Snapshot state = sdk->Read();
    const bool signup = type == "track_signup";
    const std::string originalId = signup ? state.distinctId : std::string();
    const std::string distinctId = signup ? loginId : state.distinctId;
    if (signup && !CheckId(originalId, "Original ID")) return false;

    PropertiesNode properties;
    if (type.find("track") != std::string::npos) properties = std::move(state.common);
    for (const auto& [key, value] : given.Values()) properties.Values()[key] = value;

    std::int64_t time = NowMilliseconds();
    if (auto it = properties.Values().find("$time"); it != properties.Values().end()) {
        const Time t = std::get<Time>(it->second.value);
        time = t.seconds * 1000 + t.milliseconds;
        properties.Values().erase(it);
    }
    std::string project;
    if (auto it = properties.Values().find("$project"); it != properties.Values().end()) {
        project = std::get<std::string>(it->second.value);
        properties.Values().erase(it);
    }
    if (state.isLoginId) properties.SetBool("$is_login_id", true);

    PropertiesNode lib;
    lib.Values()["$lib"] = PropertyValue{std::string("cpp")};
    lib.Values()["$lib_method"] = PropertyValue{std::string("code")};
    lib.Values()["$lib_version"] = PropertyValue{std::string("0.9")};

    PropertiesNode record;
    record.SetInteger("_track_id", NewTrackId());
    record.Values()["distinct_id"] = PropertyValue{distinctId};
    if (type == "track" || type == "track_signup") record.Values()["event"] = PropertyValue{event};
    record.SetObject("lib", lib);
    if (type == "track_signup") record.Values()["original_id"] = PropertyValue{originalId};
    if (!project.empty()) record.Values()["project"] = PropertyValue{project};
    record.SetObject("properties", properties);
    record.SetInteger("time", time);
    record.Values()["type"] = PropertyValue{type};
    sdk->queue->Add(record.ToJson());
    if (signup) {
        std::lock_guard<std::mutex> lock(sdk->stateLock);
        sdk->distinctId = loginId;
        sdk->isLoginId = true;
    }
    return true;
}

}  // namespace

bool Init(const std::string& stagingPath, const std::string& serverUrl, const std::string& distinctId, bool isLoginId) {
    if (!CheckId(distinctId, "Distinct ID")) return false;
    std::lock_guard<std::mutex> lock(g_instanceMutex);
    if (g_instance) return true;
    auto sdk = std::make_shared<Instance>();
    sdk->common.Values()["$lib"] = PropertyValue{std::string("cpp")};
    sdk->common.Values()["$lib_version"] = PropertyValue{std::string("0.9")};
    sdk->distinctId = distinctId;
    sdk->isLoginId = isLoginId;
    sdk->queue = std::make_unique<RecordQueue>(stagingPath, serverUrl);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    g_instance = std::move(sdk);
    return true;
}

void Shutdown() {
    std::shared_ptr<Instance> sdk;
    {
        std::lock_guard<std::mutex> lock(g_instanceMutex);
        sdk = std::move(g_instance);
    }
    if (sdk) sdk->queue->Persist();
}

bool track(const std::string& event, const PropertiesNode& properties) {
    return AddRecord("track", event, properties);
}

bool trackFirstLaunch(const PropertiesNode& properties) {
    PropertiesNode merged;
    merged.SetString("$ios_install_source", "");
    for (const auto& [key, value] : properties.Values()) merged.Values()[key] = value;
    return track("KvEventActivity", merged);
}

bool trackSignup(const std::string& loginId) {
    return AddRecord("track_signup", "$SignUp", PropertiesNode(), loginId);
}

namespace {

// Profile records carry only the given properties and no event name.
bool ProfileRecord(const char* type, const PropertiesNode& properties) {
    return AddRecord(type, "", properties);
}

}  // namespace

bool profileSet(const PropertiesNode& p) { return ProfileRecord("profile_set", p); }
bool profileSetOnce(const PropertiesNode& p) { return ProfileRecord("profile_set_once", p); }
bool profileIncrement(const PropertiesNode& p) { return ProfileRecord("profile_increment", p); }
bool profileAppend(const PropertiesNode& p) { return ProfileRecord("profile_append", p); }

void mergeCommonProperties(const PropertiesNode& properties) {
    const auto sdk = Current();
    if (!sdk) return;
    std::lock_guard<std::mutex> lock(sdk->stateLock);
    for (const auto& [key, value] : properties.Values()) sdk->common.Values()[key] = value;
}

bool flushQueue() {
    const auto sdk = Current();
    return !sdk || sdk->queue->Flush();
}

bool lastSendOk() {
    std::lock_guard<std::mutex> lock(g_lastSendMutex);
    return g_lastSendOk;
}

bool HasInstance() { return Current() != nullptr; }

std::size_t QueuedRecords() {
    const auto sdk = Current();
    return sdk ? sdk->queue->Size() : 0;
}

}  // namespace event_sdk
