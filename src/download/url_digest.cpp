#include "download/url_digest.h"

#include "utils/system_checks.h"

namespace download {

std::string GetUrlMd5(const std::string& realUrl) {
    const size_t last = realUrl.rfind('/');
    if (realUrl.empty() || last == std::string::npos) return {};
    const std::string before = realUrl.substr(0, last);
    const size_t previous = before.rfind('/');
    if (previous == std::string::npos) return {};
    return before.substr(previous + 1);
}

IntegrityVerdict CheckPackageIntegrity(const std::string& expectedMd5, const std::wstring& packagePath) {
    if (expectedMd5.size() != 32) return IntegrityVerdict::NoDigest;
    const std::string actual = Utils::FileMd5Text(packagePath);
    if (actual.size() != 32) return IntegrityVerdict::Good;  // unreadable: the check cannot run
    // Exact comparison: a digest written in upper case in the address never matches.
    return actual == expectedMd5 ? IntegrityVerdict::Good : IntegrityVerdict::Mismatch;
}

}  // namespace download
