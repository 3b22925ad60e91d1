#include "statistics/kv_tracker_impl.h"

#include <chrono>
#include <cstdio>
#include <system_error>
#include <thread>

#include "build_config.h"
#include "platform/debug_output.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "statistics/event_sdk.h"

namespace tracking::korvel {
namespace {

constexpr const char* kUnit = "KvTrackerImpl";
constexpr const char* kProfileUnit = "NativeUserTracker";

// How long the release waits for flush threads still running before it goes on without them.
// They keep what they use alive; this only lets a started upload finish before the queue is
// staged.
constexpr std::chrono::seconds kFlushThreadWait{5};

using event_sdk::PropertiesNode;

// Serialises the bodies of flush requests, inline or on their threads. Never destroyed: a flush
// thread may still hold it while the process exits.
std::mutex& FlushMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

// Uploads what is queued if anything is pending (a request of the now kind).
void FlushBody(FlushState& state) {
    std::lock_guard<std::mutex> lock(FlushMutex());
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int seen = state.pendingFlushes.load();
        if (seen <= 0) return;
        if (state.releasing.load()) return;  // the release uploads what is left
        if (event_sdk::HasInstance() && event_sdk::flushQueue()) {
            // Work counted while this upload ran may have missed it: that count stays.
            state.pendingFlushes.fetch_sub(seen);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Runs one flush request on a thread of its own. The thread shares `state`; the release waits for
// it (for a bounded time) through `running`.
void StartFlushThread(const std::shared_ptr<FlushState>& state) {
    {
        std::lock_guard<std::mutex> lock(state->lock);
        ++state->running;
    }
    auto body = [state] {
        FlushBody(*state);
        std::lock_guard<std::mutex> lock(state->lock);
        --state->running;
        state->idle.notify_all();
        // Exit point: the last reference to `state` may go with this lambda.
    };
    try {
        std::thread(body).detach();
    } catch (const std::system_error&) {
        body();  // no thread to be had: the caller waits for the request instead
    }
}

// Optional values go in only when present (texts: when not empty).
void PutText(PropertiesNode& p, const char* key, const std::string& text) {
    if (!text.empty()) (void)p.SetString(key, text);  // an invalid text is skipped with a message
}
void PutInt(PropertiesNode& p, const char* key, const Optional<int>& value) {
    if (value) p.SetInteger(key, *value);
}
void PutNumber(PropertiesNode& p, const char* key, const Optional<double>& value) {
    if (value) p.SetNumber(key, *value);
}
void PutPositive(PropertiesNode& p, const char* key, double value) {
    if (value > 0) p.SetNumber(key, value);
}
// Only a definite outcome is sent: Success, Cancelled or Fail.
void PutOutcome(PropertiesNode& p, const char* key, const Optional<KvResult>& result) {
    if (result && static_cast<int>(*result) >= 0 && static_cast<int>(*result) <= 2) (void)p.SetString(key, toString(*result));
}

std::string AmountText(double amount) {
    char text[64];
    std::snprintf(text, sizeof(text), "%f", amount);
    return text;
}

// No key is appended to, so neither a number nor a time ever meets the rule against appending.
enum class ProfileOp { SetOnce, Increment, Set };

ProfileOp ProfileOpOf(const std::string& key, const char* function) {
    static const char* const setOnce[] = {"$first_visit_time", "kv_first_visit_date", "$ios_install_source",
                                          "kv_first_paid_date"};
    static const char* const increment[] = {"kv_visit_count", "kv_paid_count", "kv_consumption"};
    static const char* const set[] = {
        "kv_label",          "kv_os",           "kv_os_version",      "kv_manufacturer",    "kv_model",
        "kv_app_store",      "kv_app_platform", "kv_last_app_id",     "kv_last_app_version", "kv_carrier",
        "kv_last_visit_date", "aurora_pushid",  "kv_user_id",         "kv_user_name",       "kv_user_type",
        "kv_user_nickname",  "kv_user_portrait", "kv_user_mobilephone", "kv_user_email",    "kv_user_weixin",
        "kv_user_qq",        "kv_user_did",     "kv_user_created",    "kv_user_last_login", "kv_user_last_ip",
        "kv_user_vip_level", "kv_user_vip_enddate", "idfa",           "imei",               "android_id",
        "oaid",              "kv_ip",           "kv_country_code",    "kv_country",         "kv_province",
        "kv_city",           "kv_last_paid_date"};
    for (const char* k : setOnce) {
        if (key == k) return ProfileOp::SetOnce;
    }
    for (const char* k : increment) {
        if (key == k) return ProfileOp::Increment;
    }
    for (const char* k : set) {
        if (key == k) return ProfileOp::Set;
    }
    KV_THROW(kProfileUnit, function, "Not supported user property [" + key + "]!");
}

void SubmitProfile(ProfileOp op, const PropertiesNode& p) {
    switch (op) {
        case ProfileOp::SetOnce: (void)event_sdk::profileSetOnce(p); break;
        case ProfileOp::Increment: (void)event_sdk::profileIncrement(p); break;
        case ProfileOp::Set: (void)event_sdk::profileSet(p); break;
    }
}

std::string DefaultServerUrl() { return std::string(TESSARO_STATS_HOST) + "/events?project=pc"; }

}  // namespace

// ---------------------------------------------------------------- log file

NativeTrackLogger::NativeTrackLogger(const std::string& path) : file_(platform::OpenForAppend(platform::Utf8ToWide(path))) {}

// ---------------------------------------------------------------- set-up and release

KvTrackerImpl::KvTrackerImpl(const TrackerConfig& config)
    : appName_(config.appName),
      appVersion_(config.appVersion),
      appStore_(config.appStore),
      dlappId_(config.dlappId),
      dlappVersion_(config.dlappVersion),
      edition_(config.edition),
      serverUrl_(config.serverUrl),
      flush_(std::make_shared<FlushState>()) {
    context_.logPath = config.logPath;
}

void KvTrackerImpl::init() {
    if (appName_.empty()) KV_THROW(kUnit, "init", "appName is empty");
    if (appVersion_.empty()) KV_THROW(kUnit, "init", "appVersion is empty");
    if (appStore_.empty()) KV_THROW(kUnit, "init", "appStore is empty");
    flush_->pendingFlushes.store(0);

    std::lock_guard<std::mutex> lock(contextLock_);
    TrackerContext& c = context_;
    ChooseIdentityFiles(c, appName_, std::wstring(platform::DirectoryOf(platform::ModuleFilePath())));
    LoadIdentity(c);
    identityLoaded_ = true;
    if (serverUrl_.empty()) serverUrl_ = DefaultServerUrl();
    // Ids made for another server are not carried over to this one.
    if (c.storedUrl != serverUrl_ || c.DistinctId.empty()) {
        c.UserId.clear();
        c.loggedIn = false;
        if (c.PrimaryDistinctId.empty()) {
            c.PrimaryDistinctId = makeDistinctId();
        }
        c.DistinctId = c.PrimaryDistinctId;
        c.storedUrl = serverUrl_;
        SaveIdentity(c);
    }
    if (c.UserId.empty()) c.loggedIn = false;

    if (c.logPath.empty()) c.logPath = c.dataFolder + appName_ + "_KVSLog.txt";
    logger_ = std::make_unique<NativeTrackLogger>(c.logPath);

    if (!event_sdk::Init(stagingFile(), serverUrl_, c.loggedIn ? c.UserId : c.DistinctId, c.loggedIn)) {
        KV_THROW(kUnit, "init", "event_sdk::Sdk::Init is failed");
    }
    sdkStarted_ = true;

    PropertiesNode common;
    (void)common.SetString("kv_app_id", appName_);
    (void)common.SetString("$app_version", appVersion_);
    (void)common.SetString("$app_id", appName_);
    (void)common.SetString("kv_app_store", appStore_);
    (void)common.SetString("kv_edition", toString(edition_));
    PutText(common, "kv_dlapp_id", dlappId_);
    PutText(common, "kv_dlapp_version", dlappVersion_);
    (void)common.SetString("kv_app_platform", "Windows");
    (void)common.SetString("kv_track_type", "Client");
    (void)common.SetString("kv_sdk_version", "3.3.8");
    (void)common.SetString("kv_sdk", "WindowsCPP");
    const OsName os = osNameAndVersion();
    (void)common.SetString("$os", os.name);
    (void)common.SetString("$os_version", os.version);
    const LocaleTexts locale = localeTexts(c.localeOverride);
    (void)common.SetString("kv_l10n_locale", locale.locale);
    (void)common.SetString("kv_l10n_language", locale.language);
    (void)common.SetString("kv_l10n_country", locale.country);
    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    common.SetInteger("$screen_height", screen.height);
    common.SetInteger("$screen_width", screen.width);
    PutText(common, "kv_user_id", c.UserId);
    event_sdk::mergeCommonProperties(common);

    const std::wstring file = platform::Utf8ToWide(c.identityFile);
    // Failed writes leave the product's uninstaller without these names; nothing else needs them.
    (void)platform::WriteProfileText(file, L"UninstallInfo", L"AppStore", platform::Utf8ToWide(appStore_));
    (void)platform::WriteProfileText(file, L"UninstallInfo", L"AppName", platform::Utf8ToWide(appName_));
    (void)platform::WriteProfileText(file, L"UninstallInfo", L"AppVersion", platform::Utf8ToWide(appVersion_));
}

std::string KvTrackerImpl::stagingFile() const {
    // Beside the identity file, one per application sharing the folder.
    return context_.dataFolder.empty() ? std::string() : context_.dataFolder + appName_ + "_KVSQueue.dat";
}

KvTrackerImpl::~KvTrackerImpl() {
    FlushState& state = *flush_;
    state.releasing.store(true);
    {
        // A flush thread that is uploading finishes its upload before the queue is staged.
        std::unique_lock<std::mutex> lock(state.lock);
        (void)state.idle.wait_for(lock, kFlushThreadWait, [&] { return state.running == 0; });
    }
    if (identityLoaded_) SaveIdentityNow();
    if (state.pendingFlushes.load() > 0) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (event_sdk::HasInstance() && event_sdk::flushQueue()) {
                state.pendingFlushes.store(0);
                break;
            }
        }
    }
    if (sdkStarted_) event_sdk::Shutdown();  // stages what is still queued for the next run
    logger_.reset();
}

void KvTrackerImpl::SaveIdentityNow() {
    TrackerIdentity copy;
    {
        std::lock_guard<std::mutex> lock(contextLock_);
        copy = context_;
    }
    SaveIdentity(copy);
}

// ---------------------------------------------------------------- flushing

void KvTrackerImpl::requestFlush(bool now) {
    if (!now) {
        // Only counted: the records wait for a request of the now kind or the release. Nothing to
        // wait for, so no sleep, lock or thread on the caller's (often the window's) thread.
        RaisePending(1);
        return;
    }
    if (event_sdk::lastSendOk()) {
        FlushBody(*flush_);
        return;
    }
    platform::DebugOutput(L"[Stats] Sending messages asynchronously");
    StartFlushThread(flush_);
}

// ---------------------------------------------------------------- events

void KvTrackerImpl::Record(KvEventType kind, PropertiesNode& properties, const KvContextProperties& context) {
    (void)context.applyTo(kind, properties);
    (void)event_sdk::track(eventName(kind), properties);  // nothing is recorded without an SDK
}

void KvTrackerImpl::Complete(KvEventType kind, PropertiesNode& properties, const KvContextProperties& context,
                             bool firstTime, Upload upload) {
    if (firstTime) properties.SetBool("$is_first_time", true);
    Record(kind, properties, context);
    if (upload == Upload::LaterCounted) RaisePending(1);
    requestFlush(upload == Upload::Now);
}

void KvTrackerImpl::trackActivity(const KvContextProperties& context) {
    PropertiesNode p;
    PutText(p, "kv_app_store", appStore_);
    PutText(p, "kv_app_id", appName_);
    PutText(p, "$app_id", appName_);
    PutText(p, "$app_version", appVersion_);
    (void)p.SetString("$ios_install_source", "android_id=123##imei=1234##mac=123");
    PutText(p, "$user_agent", userAgentText());
    p.SetBool("$is_first_time", true);
    const OsName os = osNameAndVersion();
    (void)p.SetString("$os", os.name);
    (void)p.SetString("$os_version", os.version);
    (void)context.applyTo(KvEventType::Activity, p);
    (void)event_sdk::trackFirstLaunch(p);

    const KvTime now = event_sdk::NowMilliseconds();
    ProfileUserPropertyDateTime("$first_visit_time", now);
    ProfileUserPropertyDateTime("kv_first_visit_date", now);
    ProfileUserPropertyDateTime("kv_last_visit_date", now);
    ProfileUserPropertyString("kv_os", os.name);
    ProfileUserPropertyString("kv_os_version", os.version);
    ProfileUserPropertyString("kv_app_store", appStore_);
    ProfileUserPropertyString("kv_app_platform", "Windows");
    ProfileUserPropertyString("kv_last_app_id", appName_);
    ProfileUserPropertyString("kv_last_app_version", appVersion_);
    ProfileUserPropertyString("$ios_install_source", "android_id=123##imei=1234##mac=123");
    RaisePending(9);
    requestFlush(true);
}

void KvTrackerImpl::trackLaunch(const KvContextProperties& context) {
    PropertiesNode p;
    Record(KvEventType::PaLaunchPal, p, context);
    bool hasUser;
    {
        std::lock_guard<std::mutex> lock(contextLock_);
        hasUser = !context_.UserId.empty();
    }
    if (hasUser) {
        const KvTime now = event_sdk::NowMilliseconds();
        ProfileUserPropertyDateTime("$first_visit_time", now);
        ProfileUserPropertyDateTime("kv_first_visit_date", now);
        ProfileUserPropertyDateTime("kv_last_visit_date", now);
        RaisePending(4);
    }
    requestFlush(true);
}

void KvTrackerImpl::trackLogin(const KvUserInfo& user, bool success, const std::string& reason,
                               const KvContextProperties& context) {
    PropertiesNode p;
    PutText(p, "kv_user_id", user.userId);
    PutText(p, "kv_login_id", user.userId);
    (void)p.SetString("kv_type", toString(user.userType));
    (void)p.SetString("kv_result", success ? "Success" : "Fail");
    PutText(p, "kv_reason", reason);
    if (user.userId.empty()) {
        Record(KvEventType::Login, p, context);
        requestFlush(true);
        return;
    }
    p.SetBool("$is_first_time", true);
    Record(KvEventType::Login, p, context);

    bool signup;
    {
        std::lock_guard<std::mutex> lock(contextLock_);
        context_.UserVipLevel = user.vipLevel;
        signup = !context_.loggedIn || context_.UserId.empty();
    }
    if (signup) {
        (void)event_sdk::trackSignup(user.userId);  // the SDK's id and login flag follow
        {
            std::lock_guard<std::mutex> lock(contextLock_);
            context_.loggedIn = true;
            context_.UserId = user.userId;
            context_.DistinctId = user.userId;
        }
        PropertiesNode common;
        (void)common.SetString("kv_user_id", user.userId);
        event_sdk::mergeCommonProperties(common);
    }
    SaveIdentityNow();
    requestFlush(true);
}

void KvTrackerImpl::trackClick(const KvEventClick& e, const KvContextProperties& context) {
    if (e.name.empty()) KV_THROW(kUnit, "trackClick", "kvEventClick.name is empty");
    PropertiesNode p;
    PutText(p, "kv_aname", e.aname);
    PutText(p, "kv_name", e.name);
    (void)p.SetString("kv_click_type", toString(e.clickType));
    PutText(p, "kv_title", e.title);
    PutText(p, "kv_module", e.module);
    PutText(p, "kv_position", e.position);
    PutInt(p, "kv_tab_index", e.tabIndex);
    PutText(p, "kv_tab_name", e.tabName);
    PutInt(p, "kv_banner_index", e.bannerIndex);
    PutText(p, "kv_banner_name", e.bannerName);
    Complete(KvEventType::Click, p, context, true, Upload::LaterCounted);
}

void KvTrackerImpl::trackView(const KvEventView& e, const KvContextProperties& context) {
    if (e.name.empty()) KV_THROW(kUnit, "trackView", "kvEventView.name is empty");
    PropertiesNode p;
    PutText(p, "kv_aname", e.aname);
    PutText(p, "kv_name", e.name);
    PutText(p, "kv_title", e.title);
    PutText(p, "kv_position", e.position);
    Complete(KvEventType::View, p, context, true, Upload::LaterCounted);
}

void KvTrackerImpl::trackCashier(const KvEventCashier& e, const KvContextProperties& context) {
    if (e.cashierName.empty()) KV_THROW(kUnit, "trackCashier", "kvEventCashier.kv_cashier_name is empty");
    PropertiesNode p;
    PutText(p, "kv_cashier_name", e.cashierName);
    PutText(p, "kv_cashier_title", e.cashierTitle);
    PutText(p, "kv_subitem", e.subitem);
    Complete(KvEventType::Cashier, p, context, true, Upload::LaterCounted);
}

void KvTrackerImpl::trackShare(const KvEventShare& e, const KvContextProperties& context) {
    PropertiesNode p;
    PutText(p, "kv_aname", e.aname);
    PutText(p, "kv_channel", e.channel);
    PutText(p, "kv_position", e.position);
    PutText(p, "kv_shared_name", e.sharedName);
    if (e.result) (void)p.SetString("kv_result", toString(*e.result));
    Complete(KvEventType::Share, p, context, true, Upload::LaterCounted);
}

void KvTrackerImpl::trackTask(const KvEventTask& e, const KvContextProperties& context) {
    if (e.name.empty()) KV_THROW(kUnit, "trackTask", "kvEventTask.name is empty");
    PropertiesNode p;
    PutText(p, "kv_aname", e.aname);
    PutText(p, "kv_task_name", e.name);
    PutText(p, "kv_reason", e.reason);
    PutNumber(p, "kv_task_elapsed", e.elapsed);
    PutOutcome(p, "kv_task_result", e.result);
    Complete(KvEventType::Task, p, context, true, Upload::Later);
}

void KvTrackerImpl::trackFile(const KvEventFile& e, const KvContextProperties& context) {
    if (e.aname.empty()) KV_THROW(kUnit, "trackFile", "kvEventFile.aname is empty");
    PropertiesNode p;
    PutText(p, "kv_aname", e.aname);
    PutText(p, "kv_name", e.name);
    if (e.io) (void)p.SetString("kv_io", toString(*e.io));
    PutText(p, "kv_ext", e.ext);
    if (e.size) PutPositive(p, "kv_size", *e.size);
    PutInt(p, "kv_duration", e.duration);
    PutNumber(p, "kv_fps", e.fps);
    PutNumber(p, "kv_bps", e.bps);
    PutInt(p, "kv_width", e.width);
    PutInt(p, "kv_height", e.height);
    PutInt(p, "kv_depth", e.depth);
    PutOutcome(p, "kv_result", e.result);
    Complete(KvEventType::File, p, context, true, Upload::LaterCounted);
}

void KvTrackerImpl::trackOrder(const KvEventOrder& e, const KvContextProperties& context) {
    if (e.suitId.empty()) KV_THROW(kUnit, "trackOrder", "kvEventOrder.kvSuitId is empty");
    if (!e.currency) KV_THROW(kUnit, "trackOrder", "kvEventOrder.kvCurrency is nullptr");
    if (!(e.originalAmount > 0)) KV_THROW(kUnit, "trackOrder", "kvEventOrder.originalAmount is less than zero");
    if (!(e.paidAmount > 0)) KV_THROW(kUnit, "trackOrder", "kvEventOrder.paidAmount is less than zero");
    PropertiesNode p;
    PutText(p, "kv_order_id", e.orderId);
    PutText(p, "kv_subitem", e.subitem);
    PutText(p, "kv_sku", e.sku);
    PutText(p, "kv_suit_id", e.suitId);
    (void)p.SetString("kv_currency", toString(*e.currency));
    p.SetNumber("kv_original_amount", e.originalAmount);
    PutText(p, "kv_voucher_id", e.voucherId);
    p.SetNumber("kv_paid_amount", e.paidAmount);
    PutText(p, "kv_cashier_name", e.cashierName);
    PutText(p, "kv_cashier_title", e.cashierTitle);
    PutInt(p, "kv_campaign_code", e.campaignCode);
    PutPositive(p, "kv_cur_original_amount", e.curOriginalAmount);
    PutPositive(p, "kv_cur_paid_amount", e.curPaidAmount);
    Complete(KvEventType::Order, p, context, true, Upload::LaterCounted);
}

void KvTrackerImpl::trackPayment(const KvEventPayment& e, const KvContextProperties& context) {
    if (e.orderId.empty()) KV_THROW(kUnit, "trackPayment", "kvEventPayment.kvOrderId is empty");
    if (e.paidAmount < 0) KV_THROW(kUnit, "trackPayment", "paidAmount = " + AmountText(e.paidAmount) + " is invalid");
    if (e.originalAmount < 0) {
        KV_THROW(kUnit, "trackPayment", "originalAmount = " + AmountText(e.originalAmount) + " is invalid");
    }
    if (!e.result || (*e.result != KvResult::Success && *e.result != KvResult::Fail)) {
        KV_THROW(kUnit, "trackPayment", "kvEventPayment.result is invalid");
    }
    // Both are read unconditionally: a payment without them cannot be described.
    if (!e.currency) KV_THROW(kUnit, "trackPayment", "kvEventPayment.currency is nullptr");
    if (!e.paidPlatform) KV_THROW(kUnit, "trackPayment", "kvEventPayment.paidPlatform is nullptr");
    PropertiesNode p;
    PutText(p, "kv_order_id", e.orderId);
    PutText(p, "kv_subitem", e.subitem);
    PutText(p, "kv_sku", e.sku);
    (void)p.SetString("kv_currency", toString(*e.currency));
    p.SetNumber("kv_original_amount", e.originalAmount);
    PutInt(p, "kv_campaign_code", e.campaignCode);
    PutText(p, "kv_voucher_id", e.voucherId);
    PutText(p, "kv_used_voucher_id", e.usedVoucherId);
    p.SetNumber("kv_paid_amount", e.paidAmount);
    PutText(p, "kv_suit_id", e.suitId);
    PutText(p, "kv_cashier_name", e.cashierName);
    PutText(p, "kv_cashier_title", e.cashierTitle);
    (void)p.SetString("kv_paid_platform", toString(*e.paidPlatform));
    (void)p.SetString("kv_result", toString(*e.result));
    if (e.iapType) (void)p.SetString("kv_iap_type", toString(*e.iapType));
    PutPositive(p, "kv_cur_original_amount", e.curOriginalAmount);
    PutPositive(p, "kv_cur_paid_amount", e.curPaidAmount);
    p.SetBool("$is_first_time", true);
    Record(KvEventType::Payment, p, context);

    const KvTime now = event_sdk::NowMilliseconds();
    ProfileUserPropertyNumber("kv_paid_count", std::int64_t{1});
    ProfileUserPropertyNumber("kv_consumption", e.paidAmount);
    ProfileUserPropertyDateTime("kv_first_paid_date", now);
    ProfileUserPropertyDateTime("kv_last_paid_date", now);
    RaisePending(4);
    if (*e.result == KvResult::Success) {
        {
            std::lock_guard<std::mutex> lock(contextLock_);
            context_.UserVipLevel = 1;
        }
        SaveIdentityNow();
    }
    requestFlush(true);
}

void KvTrackerImpl::trackUninstall(const std::string& reason, const KvContextProperties& context) {
    PropertiesNode p;
    PutText(p, "kv_uninstall_reason", reason);
    Complete(KvEventType::Uninstall, p, context, false, Upload::Now);
}

void KvTrackerImpl::trackCrash(const std::string& reason) {
    PropertiesNode p;
    PutText(p, "app_crashed_reason", reason);
    (void)event_sdk::track(eventName(KvEventType::Crashed), p);
    requestFlush(true);
}

void KvTrackerImpl::trackUpdate(const KvEventUpdate& e, const KvContextProperties& context) {
    PropertiesNode p;
    (void)p.SetString("kv_update_op", toString(e.op));
    switch (e.op) {
        case KvUpdateOp::UpdateCheck:
            (void)p.SetString("kv_update_result", e.result ? toString(*e.result) : std::string());
            PutNumber(p, "kv_elapsed", e.elapsed);
            break;
        case KvUpdateOp::DownloadEnd:
        case KvUpdateOp::UpgrateEnd:
            if (!e.result) KV_THROW(kUnit, "trackUpdate", "Unknown updateResultInfo info");
            if (!e.elapsed) KV_THROW(kUnit, "trackUpdate", "invalid elapsed info");
            (void)p.SetString("kv_update_result", toString(*e.result));
            p.SetNumber("kv_elapsed", *e.elapsed);
            break;
        default: break;  // the starts carry only the operation
    }
    Complete(KvEventType::Update, p, context, e.op == KvUpdateOp::UpgrateEnd, Upload::Now);
}

void KvTrackerImpl::trackAppOpenNotification(const KvAppOpenNotification* n, const KvContextProperties& context) {
    if (!n) KV_THROW(kUnit, "trackAppOpenNotification", "&appOpenNotification is nullptr");
    if (n->planId.empty()) KV_THROW(kUnit, "trackAppOpenNotification", "planID is emptry");
    if (n->planType.empty()) KV_THROW(kUnit, "trackAppOpenNotification", "planType is emptry");
    if (n->msgTitle.empty()) KV_THROW(kUnit, "trackAppOpenNotification", "msgTitle is emptry");
    PropertiesNode p;
    PutText(p, "$sf_msg_title", n->msgTitle);
    PutText(p, "$sf_msg_content", n->msgContent);
    PutText(p, "$sf_link_url", n->linkUrl);
    PutText(p, "$sf_plan_id", n->planId);
    PutText(p, "$sf_audience_id", n->audienceId);
    PutText(p, "$sf_plan_strategy_id", n->planStrategyId);
    PutText(p, "$sf_plan_type", n->planType);
    PutText(p, "$sf_strategy_unit_id", n->strategyUnitId);
    Complete(KvEventType::AppOpenNotification, p, context, false, Upload::Later);
}

void KvTrackerImpl::setLocale(const std::string& locale) {
    {
        std::lock_guard<std::mutex> lock(contextLock_);
        context_.localeOverride = locale;
    }
    const LocaleTexts texts = localeTexts(locale);
    PropertiesNode p;
    (void)p.SetString("kv_l10n_locale", texts.locale);
    (void)p.SetString("kv_l10n_language", texts.language);
    (void)p.SetString("kv_l10n_country", texts.country);
    event_sdk::mergeCommonProperties(p);
}

std::string KvTrackerImpl::primaryDistinctId() {
    std::lock_guard<std::mutex> lock(contextLock_);
    return context_.PrimaryDistinctId;
}

// ---------------------------------------------------------------- user profile

void KvTrackerImpl::ProfileUserPropertyString(const std::string& key, const std::string& text) {
    const ProfileOp op = ProfileOpOf(key, "ProfileUserPropertyString");
    if (op == ProfileOp::Increment) {
        KV_THROW(kProfileUnit, "ProfileUserPropertyString",
                 "user property [" + key + "] is string type value, it cannot be accumulated!");
    }
    PropertiesNode p;
    (void)p.SetString(key, text);
    SubmitProfile(op, p);
}

void KvTrackerImpl::ProfileUserPropertyNumber(const std::string& key, std::int64_t number) {
    const ProfileOp op = ProfileOpOf(key, "ProfileUserPropertyNumber");
    PropertiesNode p;
    p.SetInteger(key, number);
    SubmitProfile(op, p);
}

void KvTrackerImpl::ProfileUserPropertyNumber(const std::string& key, double number) {
    const ProfileOp op = ProfileOpOf(key, "ProfileUserPropertyNumber");
    PropertiesNode p;
    p.SetNumber(key, number);
    SubmitProfile(op, p);
}

void KvTrackerImpl::ProfileUserPropertyDateTime(const std::string& key, KvTime time) {
    const ProfileOp op = ProfileOpOf(key, "ProfileUserPropertyDateTime");
    if (op == ProfileOp::Increment) {
        KV_THROW(kProfileUnit, "ProfileUserPropertyDateTime",
                 "user property [" + key + "] is boolean value, it cannot be accumulative!");
    }
    PropertiesNode p;
    p.SetTime(key, ToSdkTime(time));
    SubmitProfile(op, p);
}

}  // namespace tracking::korvel
