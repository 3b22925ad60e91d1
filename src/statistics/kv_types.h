#pragma once
// The vocabulary of the maker's usage events: event kinds, enumerations with their wire texts,
// the argument record of each kind, and the exception the tracker raises for a bad record.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace tracking::korvel {

class KvException : public std::exception {
public:
    KvException(std::string unit, std::string function, int line, std::string message)
        : unit_(std::move(unit)), function_(std::move(function)), line_(line), message_(std::move(message)) {}

    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& unit() const { return unit_; }
    const std::string& function() const { return function_; }
    int line() const { return line_; }
    int code() const { return -1; }
    int subCode() const { return -1; }

private:
    std::string unit_;
    std::string function_;
    int line_;
    std::string message_;
};

// Raises a KvException naming the source unit, the calling operation and the line.
#define KV_THROW(unit, function, message) throw ::tracking::korvel::KvException(unit, function, __LINE__, message)

enum class KvEventType {
    Activity = 0,
    PaLaunchPal,
    Login,
    Click,
    View,
    Cashier,
    Share,
    Task,
    File,
    Order,
    Payment,
    Uninstall,
    Update,
    Crashed,
    AppOpenNotification,
};
inline constexpr int kEventTypeCount = 15;

enum class ClickType { Button = 0, Banner, Tutorial, File, Others };
enum class KvResult { Success = 0, Cancelled, Fail, Unknown };
enum class KvUserType { unknown = 0, mobilephone, email, weixin, qq, deviceid, baidu, huawei, apple, korveluserid, google, facebook };
enum class KvIoType { Input = 0, Output };
enum class KvCurrency { CNY = 0, USD, EUR, HKD, TWD, MOP, SGD, JPY, KRW, INR, GBP };
enum class KvPaidPlatform { Alipay = 0, WeChatPay, PayPal, Tenpay, CIECC, GooglePay, HuaweiPay, AppleIAP, Paddle, ChinaUnionPay };
enum class KvIapType { Consumable = 1, NonConsumable, AutoRenewable, NonRenewable };
enum class KvUpdateOp { UpdateCheck = 0, DownloadStart, DownloadEnd, UpgrateStart, UpgrateEnd };
enum class KvUpdateResult { Success = 0, Cancelled, Timeout, Fail, Latest, Updateable };
enum class KvEdition { china = 0, overseas };

// The wire texts. A value outside its table raises KvException (function "toString").
std::string toString(KvEventType value);
std::string toString(ClickType value);
std::string toString(KvResult value);
std::string toString(KvUserType value);
std::string toString(KvIoType value);
std::string toString(KvCurrency value);
std::string toString(KvPaidPlatform value);
std::string toString(KvIapType value);
std::string toString(KvUpdateOp value);
std::string toString(KvUpdateResult value);
std::string toString(KvEdition value);

// The event name a kind is recorded under ("KvEventClick", "AppCrashed", ...).
std::string eventName(KvEventType value);

// An optional number or enumeration: null when absent.
template <class T>
using Optional = std::shared_ptr<T>;
template <class T>
Optional<T> Some(T value) {
    return std::make_shared<T>(value);
}

// Milliseconds since 1970, or seconds when not above 157789439999.
using KvTime = std::int64_t;

struct KvEventClick {
    std::string aname;
    std::string name;  // required
    ClickType clickType = ClickType::Button;
    std::string title;
    std::string module;
    std::string position;
    Optional<int> tabIndex;
    std::string tabName;
    Optional<int> bannerIndex;
    std::string bannerName;
};

struct KvEventView {
    std::string aname;
    std::string name;  // required
    std::string title;
    std::string position;
};

struct KvEventCashier {
    std::string cashierName;  // required
    std::string cashierTitle;
    std::string subitem;
};

struct KvEventShare {
    std::string aname;
    std::string channel;
    std::string position;
    std::string sharedName;
    Optional<KvResult> result;
};

struct KvEventTask {
    std::string aname;
    std::string name;  // required
    std::string reason;
    Optional<double> elapsed;  // seconds
    Optional<KvResult> result;
};

struct KvEventFile {
    std::string aname;  // required
    std::string name;
    Optional<KvIoType> io;
    std::string ext;
    Optional<double> size;
    Optional<int> duration;
    Optional<double> fps;
    Optional<double> bps;
    Optional<int> width;
    Optional<int> height;
    Optional<int> depth;
    Optional<KvResult> result;
};

struct KvEventOrder {
    std::string orderId;
    std::string subitem;
    std::string sku;
    std::string suitId;  // required
    Optional<KvCurrency> currency;  // required
    double originalAmount = 0;  // must be above 0
    std::string voucherId;
    double paidAmount = 0;  // must be above 0
    std::string cashierName;
    std::string cashierTitle;
    Optional<int> campaignCode;
    double curOriginalAmount = 0;
    double curPaidAmount = 0;
};

struct KvEventPayment {
    std::string orderId;  // required
    std::string subitem;
    std::string sku;
    Optional<KvCurrency> currency;  // required
    double originalAmount = 0;  // must not be negative
    Optional<int> campaignCode;
    std::string voucherId;
    std::string usedVoucherId;
    double paidAmount = 0;  // must not be negative
    std::string suitId;
    std::string cashierName;
    std::string cashierTitle;
    Optional<KvPaidPlatform> paidPlatform;  // required
    Optional<KvResult> result;  // required: Success or Fail
    Optional<KvIapType> iapType;
    double curOriginalAmount = 0;
    double curPaidAmount = 0;
};

struct KvEventUpdate {
    KvUpdateOp op = KvUpdateOp::UpdateCheck;
    Optional<KvUpdateResult> result;
    Optional<double> elapsed;  // seconds
};

struct KvAppOpenNotification {
    std::string msgTitle;  // required
    std::string msgContent;
    std::string linkUrl;
    std::string planId;  // required
    std::string audienceId;
    std::string planStrategyId;
    std::string planType;  // required
    std::string strategyUnitId;
};

struct KvUserInfo {
    std::string userId;
    std::string userName;
    KvUserType userType = KvUserType::unknown;
    std::string nickname;
    std::string portrait;
    std::string mobilephone;
    std::string email;
    std::string weixin;
    std::string qq;
    std::string did;
    KvTime created = 0;
    KvTime lastLogin = 0;
    std::string lastIp;
    int vipLevel = 0;
    KvTime vipEndDate = 0;
};

}  // namespace tracking::korvel
