#include "statistics/kv_types.h"

#include <array>

namespace tracking::korvel {
namespace {

constexpr const char* kUnit = "KvTrackerImpl";

// The text of `value` in `texts` (whose first entry stands for `first`), or the exception
// "<prefix><value><suffix>".
template <class Enum, std::size_t N>
std::string Lookup(Enum value, const std::array<const char*, N>& texts, const char* prefix, const char* suffix = "]!",
                   int first = 0) {
    const int n = static_cast<int>(value);
    if (n < first || n - first >= static_cast<int>(N)) KV_THROW(kUnit, "toString", prefix + std::to_string(n) + suffix);
    return texts[static_cast<std::size_t>(n - first)];
}

constexpr std::array<const char*, kEventTypeCount> kEventTexts = {
    "Activity", "PaLaunchPal", "Login",   "Click",     "View",   "Cashier", "Share",  "Task",
    "File",     "Order",       "Payment", "Uninstall", "Update", "Crashed", "AppOpenNotification"};
constexpr std::array<const char*, kEventTypeCount> kEventNames = {
    "KvEventActivity", "KvEventLaunch",   "KvEventLogin",     "KvEventClick",  "KvEventView",
    "KvEventCashier",  "KvEventShare",    "KvEventTask",      "KvEventFile",   "KvEventOrder",
    "KvEventPayment",  "KvEventUninstall", "KvEventUpdate",   "AppCrashed",    "AppOpenNotification"};

}  // namespace

std::string toString(KvEventType v) { return Lookup(v, kEventTexts, "Unknown Event ["); }
std::string eventName(KvEventType v) { return Lookup(v, kEventNames, "Unknown Event ["); }

std::string toString(ClickType v) {
    static constexpr std::array<const char*, 5> texts = {"Button", "Banner", "Tutorial", "File", "Others"};
    return Lookup(v, texts, "Unknown ClickType [");
}

std::string toString(KvResult v) {
    static constexpr std::array<const char*, 4> texts = {"Success", "Cancelled", "Fail", "Unknown"};
    return Lookup(v, texts, "Unknown task result [");
}

std::string toString(KvUserType v) {
    static constexpr std::array<const char*, 12> texts = {"unknown", "mobilephone", "email",        "weixin",
                                                          "qq",      "deviceid",    "baidu",        "huawei",
                                                          "apple",   "korveluserid", "google",      "facebook"};
    return Lookup(v, texts, "Unknown user type [");
}

std::string toString(KvIoType v) {
    if (v != KvIoType::Input && v != KvIoType::Output) KV_THROW(kUnit, "toString", "the io type is invalid");
    return v == KvIoType::Input ? "Input" : "Output";
}

std::string toString(KvCurrency v) {
    static constexpr std::array<const char*, 11> texts = {"CNY", "USD", "EUR", "HKD", "TWD", "MOP",
                                                          "SGD", "JPY", "KRW", "INR", "GBP"};
    return Lookup(v, texts, "Unknown currency [");
}

std::string toString(KvPaidPlatform v) {
    static constexpr std::array<const char*, 10> texts = {"Alipay",    "WeChatPay", "PayPal",   "Tenpay", "CIECC",
                                                          "GooglePay", "HuaweiPay", "AppleIAP", "Paddle", "ChinaUnionPay"};
    return Lookup(v, texts, "Unknown paid platform [");
}

std::string toString(KvIapType v) {
    static constexpr std::array<const char*, 4> texts = {"Consumable", "NonConsumable", "AutoRenewable", "NonRenewable"};
    return Lookup(v, texts, "Unknown kvIapType [", "]!", 1);
}

std::string toString(KvUpdateOp v) {
    // "Upgrate" is the spelling the statistics server knows.
    static constexpr std::array<const char*, 5> texts = {"UpdateCheck", "DownloadStart", "DownloadEnd", "UpgrateStart",
                                                         "UpgrateEnd"};
    return Lookup(v, texts, "Unknown KvUpdateOp [");
}

std::string toString(KvUpdateResult v) {
    static constexpr std::array<const char*, 6> texts = {"Success", "Cancelled", "Timeout", "Fail", "Latest", "Updateable"};
    return Lookup(v, texts, "Unknown KvUpdateResult [");
}

std::string toString(KvEdition v) {
    static constexpr std::array<const char*, 2> texts = {"china", "overseas"};
    return Lookup(v, texts, "Unknown edition [");
}

}  // namespace tracking::korvel
