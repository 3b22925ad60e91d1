#pragma once
// Context properties: values a caller attaches to the events of chosen kinds (the A/B group
// "kvc_ab" is the one the installer uses). One object serves one event call.
#include <array>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "statistics/event_sdk_values.h"
#include "statistics/kv_types.h"

namespace tracking::korvel {

enum class KvValueKind { Bool = 0, Time = 1, Number = 2, Text = 3, TextList = 4 };

class KvContextProperties {
public:
    struct Entry {
        std::string name;
        KvValueKind kind;
    };

    // Adds the property for each listed kind (a kind listed twice is named twice). Raises
    // "Property[name] already exist!" for a name already set and "KvEvent[k] overflow!" for a kind
    // of 15 or more.
    void setProperty(const std::string& name, const std::string& text, const std::vector<int>& kinds);
    void setBoolProperty(const std::string& name, bool value, const std::vector<int>& kinds);
    void setNumberProperty(const std::string& name, double number, const std::vector<int>& kinds);
    void setListProperty(const std::string& name, const std::vector<std::string>& texts, const std::vector<int>& kinds);
    // A moment: milliseconds since 1970 when above 157789439999, otherwise seconds.
    void setTimeProperty(const std::string& name, KvTime time, const std::vector<int>& kinds);

    const std::vector<Entry>& getEventProperties(int kind) const;

    // Puts the properties of `kind` into `properties`; false when the kind has none.
    bool applyTo(KvEventType kind, event_sdk::PropertiesNode& properties) const;

    // An A/B group: one to three characters, an upper-case letter first, then letters or digits.
    // False for an empty value; raises KvException naming the first rule a value breaks.
    static bool isValidABValue(const std::string& value);

private:
    using Value = std::variant<bool, KvTime, double, std::string, std::vector<std::string>>;
    void Set(const std::string& name, Value value, KvValueKind kind, const std::vector<int>& kinds);

    std::map<std::string, Value> values_;
    std::array<std::vector<Entry>, kEventTypeCount> lists_;
};

// The time a KvTime stands for.
event_sdk::Time ToSdkTime(KvTime time);

}  // namespace tracking::korvel
