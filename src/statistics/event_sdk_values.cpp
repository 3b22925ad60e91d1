#include "statistics/event_sdk_values.h"

#include <chrono>
#include <cstdio>

#include "platform/console.h"
#include "platform/system_info.h"

namespace event_sdk {
namespace {

constexpr std::size_t kMaxText = 8192;
constexpr std::size_t kMaxName = 100;
constexpr std::size_t kMaxId = 255;

bool In(unsigned char c, unsigned lo, unsigned hi) { return c >= lo && c <= hi; }

bool NameStart(unsigned char c) { return In(c, 'a', 'z') || In(c, 'A', 'Z') || c == '$' || c == '_'; }
bool NameByte(unsigned char c) { return NameStart(c) || In(c, '0', '9'); }

std::string NumberText(double number) {
    // The default formatting of an output stream: "%g", six significant digits.
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%g", number);
    return buffer;
}

}  // namespace

std::int64_t NowMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string LocalTimeText(const Time& t) {
    const platform::LocalTime l = platform::ToLocalTime(t.seconds, t.milliseconds);
    char buffer[48];
    std::snprintf(buffer, sizeof(buffer), "%04d-%02d-%02d %02d:%02d:%02d.%03d", l.year, l.month, l.day, l.hour, l.minute,
                  l.second, l.milliseconds);
    return buffer;
}

void Complain(const std::string& message) {
    (void)platform::WriteStderr(message + "\n");  // nobody may be reading: the message is only a hint
}

bool IsValidText(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        auto at = [&](std::size_t k, unsigned lo, unsigned hi) { return i + k < n && In(p[i + k], lo, hi); };
        if (c == 0x09 || c == 0x0A || c == 0x0D || In(c, 0x20, 0x7E)) {
            i += 1;
        } else if (In(c, 0xC2, 0xDF) && at(1, 0x80, 0xBF)) {
            i += 2;
        } else if ((c == 0xE0 && at(1, 0xA0, 0xBF) && at(2, 0x80, 0xBF)) ||
                   (In(c, 0xE1, 0xEC) && at(1, 0x80, 0xBF) && at(2, 0x80, 0xBF)) ||
                   (c == 0xED && at(1, 0x80, 0x9F) && at(2, 0x80, 0xBF)) ||
                   (In(c, 0xEE, 0xEF) && at(1, 0x80, 0xBF) && at(2, 0x80, 0xBF))) {
            i += 3;
        } else if ((c == 0xF0 && at(1, 0x90, 0xBF) && at(2, 0x80, 0xBF) && at(3, 0x80, 0xBF)) ||
                   (In(c, 0xF1, 0xF3) && at(1, 0x80, 0xBF) && at(2, 0x80, 0xBF) && at(3, 0x80, 0xBF)) ||
                   (c == 0xF4 && at(1, 0x80, 0x8F) && at(2, 0x80, 0xBF) && at(3, 0x80, 0xBF))) {
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

bool CheckVariableName(std::string_view value, const char* name) {
    if (value.empty() || value.size() > kMaxName) {
        Complain(std::string("The ") + name + " is empty or too long, max length is " + std::to_string(kMaxName));
        return false;
    }
    bool valid = NameStart(static_cast<unsigned char>(value[0]));
    for (std::size_t i = 1; i < value.size() && valid; ++i) valid = NameByte(static_cast<unsigned char>(value[i]));
    if (!valid) Complain(std::string("The ") + name + " need to be a valid variable name.");
    return valid;
}

bool CheckId(std::string_view value, const char* name) {
    if (value.empty()) {
        Complain(std::string("The ") + name + " is empty.");
        return false;
    }
    if (value.size() > kMaxId) {
        Complain(std::string("The ") + name + " is too long, max length is " + std::to_string(kMaxId) + ".");
        return false;
    }
    return true;
}

bool PropertiesNode::SetString(const std::string& key, const std::string& text) {
    if (text.size() > kMaxText) {
        Complain("String property '" + key + "' is too long, value: " + text);
        return false;
    }
    if (!IsValidText(text)) {
        Complain("String property '" + key + "' is not valid UTF-8 string, value: " + text);
        return false;
    }
    values_[key] = PropertyValue{text};
    return true;
}

void PropertiesNode::SetNumber(const std::string& key, double number) { values_[key] = PropertyValue{number}; }
void PropertiesNode::SetInteger(const std::string& key, std::int64_t number) { values_[key] = PropertyValue{number}; }
void PropertiesNode::SetBool(const std::string& key, bool value) { values_[key] = PropertyValue{value}; }
void PropertiesNode::SetList(const std::string& key, std::vector<std::string> texts) {
    values_[key] = PropertyValue{std::move(texts)};
}
void PropertiesNode::SetTime(const std::string& key, Time time) { values_[key] = PropertyValue{time}; }
void PropertiesNode::SetObject(const std::string& key, const PropertiesNode& object) {
    values_[key] = PropertyValue{std::make_shared<const PropertiesNode>(object)};
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '\b': out += "\\b"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\f': out += "\\f"; break;
            case '\r': out += "\\r"; break;
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out + "\"";
}

std::string JsonValue(const PropertyValue& v) {
    struct Visitor {
        std::string operator()(double d) const { return NumberText(d); }
        std::string operator()(std::int64_t i) const { return std::to_string(i); }
        std::string operator()(const std::string& s) const { return JsonString(s); }
        std::string operator()(const std::vector<std::string>& list) const {
            std::string out = "[";
            for (std::size_t i = 0; i < list.size(); ++i) out += (i ? "," : "") + JsonString(list[i]);
            return out + "]";
        }
        std::string operator()(const Time& t) const { return JsonString(LocalTimeText(t)); }
        std::string operator()(bool b) const { return b ? "true" : "false"; }
        std::string operator()(const std::shared_ptr<const PropertiesNode>& o) const { return o ? o->ToJson() : "{}"; }
    };
    return std::visit(Visitor{}, v.value);
}

std::string PropertiesNode::ToJson() const {
    std::string out = "{";
    bool first = true;
    for (const auto& [key, value] : values_) {
        if (!first) out += ",";
        first = false;
        out += "\"" + key + "\":" + JsonValue(value);
    }
    return out + "}";
}

}  // namespace event_sdk
