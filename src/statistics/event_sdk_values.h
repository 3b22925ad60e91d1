#pragma once
// Typed property values and property sets of statistics records, with the checks and the JSON
// form the statistics server expects.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace event_sdk {

class PropertiesNode;

struct Time {
    std::int64_t seconds = 0;  // since 1970
    int milliseconds = 0;
};

// The system clock in milliseconds since 1970.
std::int64_t NowMilliseconds();

// "yyyy-mm-dd hh:mm:ss.mmm" in local time.
std::string LocalTimeText(const Time& time);

// Number, integer, text, list of texts, time, bool, nested object (in that order of kinds).
struct PropertyValue {
    std::variant<double, std::int64_t, std::string, std::vector<std::string>, Time, bool,
                 std::shared_ptr<const PropertiesNode>>
        value;
};

// Names are kept in ascending byte order; setting a name again replaces its value.
class PropertiesNode {
public:
    // Text is checked: at most 8192 bytes of valid UTF-8 without control characters other than
    // tab, line feed and carriage return; a failing text is not set (message on standard error).
    bool SetString(const std::string& key, const std::string& text);
    void SetNumber(const std::string& key, double number);
    void SetInteger(const std::string& key, std::int64_t number);
    void SetBool(const std::string& key, bool value);
    void SetList(const std::string& key, std::vector<std::string> texts);
    void SetTime(const std::string& key, Time time);
    void SetObject(const std::string& key, const PropertiesNode& object);

    const std::map<std::string, PropertyValue>& Values() const { return values_; }
    std::map<std::string, PropertyValue>& Values() { return values_; }

    // The JSON object: entries in ascending key order, no blanks.
    std::string ToJson() const;

private:
    std::map<std::string, PropertyValue> values_;
};

// One message line on standard error, where the SDK says what it dropped and why.
void Complain(const std::string& message);

// The checks of names, ids and texts. Each writes its message to standard error on failure.
bool CheckVariableName(std::string_view value, const char* name);
bool CheckId(std::string_view value, const char* name);
bool IsValidText(std::string_view text);

// A JSON string: the text between double quotes, with \b \t \n \f \r \" \\ escaped and every
// other byte as it is.
std::string JsonString(std::string_view text);
std::string JsonValue(const PropertyValue& value);

}  // namespace event_sdk
