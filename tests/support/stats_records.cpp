#include "support/stats_records.h"

#include <sstream>

#include "support/package_servers.h"

namespace testing_support {

bool StatsRecord::Has(const std::string& path) const {
    for (const auto& [p, v] : fields) {
        if (p == path) return true;
    }
    return false;
}

std::string StatsRecord::Json(const std::string& path) const {
    for (const auto& [p, v] : fields) {
        if (p == path) return v;
    }
    return {};
}

std::string StatsRecord::Text(const std::string& path) const {
    const std::string json = Json(path);
    return json.size() >= 2 && json.front() == '"' ? json.substr(1, json.size() - 2) : json;
}

std::map<std::string, std::string> StatsRecord::Properties() const {
    static const std::string prefix = "properties.";
    std::map<std::string, std::string> out;
    for (const auto& [p, v] : fields) {
        if (p.compare(0, prefix.size(), prefix) == 0) out[p.substr(prefix.size())] = v;
    }
    return out;
}

std::string StatsUrl(const std::string& token) { return PackageServers::Get().stats + "/t=" + token + "/events?project=pc"; }

void StatsAnswer(const std::string& token, int status, double delaySeconds) {
    std::ostringstream query;
    query << PackageServers::Get().stats << "/ctl?t=" << token << "&status=" << status << "&delay=" << delaySeconds;
    (void)HttpGet(query.str());  // a collector that does not answer fails the test's later checks
}

std::vector<StatsRecord> ReceivedRecords(const std::string& token) {
    std::istringstream text(HttpGet(PackageServers::Get().stats + "/flat?t=" + token));
    std::vector<StatsRecord> records;
    std::string line;
    while (std::getline(text, line)) {
        if (line == "record") {
            records.emplace_back();
            continue;
        }
        const size_t tab = line.find('\t');
        if (tab == std::string::npos || records.empty()) continue;
        records.back().fields.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    return records;
}

}  // namespace testing_support
