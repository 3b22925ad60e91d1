#include "statistics/kv_context_properties.h"

namespace tracking::korvel {
namespace {

constexpr const char* kUnit = "KvContextProperties";

// Larger values cannot be seconds of a plausible date: they are milliseconds.
constexpr KvTime kLargestSeconds = 157789439999;

std::string Overflow(int kind) { return "KvEvent[" + std::to_string(kind) + "] overflow!"; }

bool UpperLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool LetterOrDigit(char c) { return UpperLetter(c) || (c >= '0' && c <= '9'); }

}  // namespace

event_sdk::Time ToSdkTime(KvTime time) {
    if (time > kLargestSeconds) return {time / 1000, static_cast<int>(time % 1000)};
    return {time, 0};
}

void KvContextProperties::Set(const std::string& name, Value value, KvValueKind kind, const std::vector<int>& kinds) {
    if (values_.count(name)) KV_THROW(kUnit, "setProperty", "Property[" + name + "] already exist!");
    values_.emplace(name, std::move(value));
    for (const int k : kinds) {
        if (k < 0 || k >= kEventTypeCount) KV_THROW(kUnit, "setProperty", Overflow(k));
        lists_[static_cast<std::size_t>(k)].push_back({name, kind});
    }
}

void KvContextProperties::setProperty(const std::string& name, const std::string& text, const std::vector<int>& kinds) {
    Set(name, text, KvValueKind::Text, kinds);
}

void KvContextProperties::setBoolProperty(const std::string& name, bool value, const std::vector<int>& kinds) {
    Set(name, value, KvValueKind::Bool, kinds);
}

void KvContextProperties::setNumberProperty(const std::string& name, double number, const std::vector<int>& kinds) {
    Set(name, number, KvValueKind::Number, kinds);
}

void KvContextProperties::setListProperty(const std::string& name, const std::vector<std::string>& texts,
                                      const std::vector<int>& kinds) {
    Set(name, texts, KvValueKind::TextList, kinds);
}

void KvContextProperties::setTimeProperty(const std::string& name, KvTime time, const std::vector<int>& kinds) {
    Set(name, time, KvValueKind::Time, kinds);
}

const std::vector<KvContextProperties::Entry>& KvContextProperties::getEventProperties(int kind) const {
    if (kind < 0 || kind >= kEventTypeCount) KV_THROW(kUnit, "getEventProperties", Overflow(kind));
    return lists_[static_cast<std::size_t>(kind)];
}

bool KvContextProperties::applyTo(KvEventType kind, event_sdk::PropertiesNode& properties) const {
    const std::vector<Entry>& list = getEventProperties(static_cast<int>(kind));
    for (const Entry& entry : list) {
        const Value& value = values_.at(entry.name);
        switch (entry.kind) {
            case KvValueKind::Bool: properties.SetBool(entry.name, std::get<bool>(value)); break;
            case KvValueKind::Time:
                (void)properties.SetString(entry.name, event_sdk::LocalTimeText(ToSdkTime(std::get<KvTime>(value))));
                break;
            case KvValueKind::Number: properties.SetNumber(entry.name, std::get<double>(value)); break;
            case KvValueKind::Text: (void)properties.SetString(entry.name, std::get<std::string>(value)); break;
            case KvValueKind::TextList: properties.SetList(entry.name, std::get<std::vector<std::string>>(value)); break;
        }
    }
    return !list.empty();
}

bool KvContextProperties::isValidABValue(const std::string& v) {
    if (v.empty()) return false;
    if (v.size() >= 4) KV_THROW(kUnit, "isValidABValue", "value's length is great than 3.");
    if (!UpperLetter(v[0])) KV_THROW(kUnit, "isValidABValue", "First char is not in A to Z");
    if (v.size() > 1 && !LetterOrDigit(v[1])) KV_THROW(kUnit, "isValidABValue", "second char is not in A to Z and 0 to 9");
    if (v.size() > 2 && !LetterOrDigit(v[2])) KV_THROW(kUnit, "isValidABValue", "third char is not in A to Z and 0 to 9");
    return true;
}

}  // namespace tracking::korvel
