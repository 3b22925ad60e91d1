#pragma once
// What the local statistics collector accepted for one test token, record by record.
#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct StatsRecord {
    // Leaf path ("event", "properties.kv_name", "lib.$lib") to its JSON text ("\"KvEventClick\"",
    // "true", "12.5"), in the order sent.
    std::vector<std::pair<std::string, std::string>> fields;

    bool Has(const std::string& path) const;
    // The JSON text at `path`; empty when absent.
    std::string Json(const std::string& path) const;
    // A string field without its quotes (escapes are not expected in the fields tests read).
    std::string Text(const std::string& path) const;
    // "properties.<key>" entries, keyed by <key>.
    std::map<std::string, std::string> Properties() const;
};

// The collector's URL for `token`'s uploads.
std::string StatsUrl(const std::string& token);
// Answers `token`'s later uploads with `status` (0: drops the connection) after `delaySeconds`.
void StatsAnswer(const std::string& token, int status, double delaySeconds = 0);
std::vector<StatsRecord> ReceivedRecords(const std::string& token);

}  // namespace testing_support
