#include "statistics/device_identity.h"

#include <cstdio>
#include <random>

#include "platform/environment.h"
#include "platform/guid.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "utils/system_checks.h"

namespace tracking::korvel {
namespace {

// Values are read into 128-byte buffers: at most 127 characters survive.
constexpr std::size_t kValueBuffer = 128;

std::wstring Wide(const std::string& s) { return platform::Utf8ToWide(s); }
std::string Narrow(const std::wstring& s) { return platform::WideToUtf8(s); }

std::string Read(const TrackerIdentity& id, const wchar_t* key) {
    return Narrow(platform::ReadProfileString(Wide(id.identityFile), L"Base", key, L"", kValueBuffer));
}

void Write(const TrackerIdentity& id, const wchar_t* key, const std::string& value) {
    (void)platform::WriteProfileText(Wide(id.identityFile), L"Base", key, Wide(value));  // ids then live in memory only
}

std::string Separator() { return std::string(1, static_cast<char>(platform::kPathSeparator)); }

}  // namespace

void ChooseIdentityFiles(TrackerIdentity& identity, const std::string& appName, const std::wstring& exeFolder) {
    std::string override;
    const std::wstring setIni = exeFolder + platform::kPathSeparator + L"Set.ini";
    if (platform::PathExists(setIni)) {
        override = Narrow(platform::ReadProfileString(setIni, L"Install", L"KVAnalyticsIni", L"", kValueBuffer));
    }
    // An override is a file path; "/" counts as a separator like "\".
    const size_t last = override.find_last_of("\\/");
    if (last != std::string::npos) {
        identity.identityFile = override;
        identity.dataFolder = override.substr(0, last + 1);
        (void)Utils::CreateDirectoryTree(Wide(identity.dataFolder));  // a failure shows as unsaved ids
        return;
    }
    const platform::NtVersion v = platform::QueryNtVersion();
    const bool sevenOrLater = v.known && (v.major > 6 || (v.major == 6 && v.minor > 0));
    const std::wstring base = sevenOrLater || !v.known ? platform::LocalAppDataFolder() : platform::CommonDocumentsFolder();
    identity.dataFolder = Narrow(base) + Separator() + "KVLocal" + Separator() + appName + Separator();
    (void)Utils::CreateDirectoryTree(Wide(identity.dataFolder));
    identity.identityFile = identity.dataFolder + appName + "_KVSConfigure.ini";
}

void LoadIdentity(TrackerIdentity& id) {
    id.UserId.clear();
    id.DistinctId.clear();
    id.PrimaryDistinctId.clear();
    id.storedUrl.clear();
    id.loggedIn = false;
    if (platform::PathExists(Wide(id.identityFile))) {
        id.DistinctId = Read(id, L"DistinctId");
        id.PrimaryDistinctId = Read(id, L"PrimaryDistinctId");
        if (id.PrimaryDistinctId.empty()) id.PrimaryDistinctId = id.DistinctId;
        id.UserId = Read(id, L"UserId");
        const std::string level = Read(id, L"UserVipLevel");
        id.UserVipLevel = level.empty() ? 0 : std::atoi(level.c_str());
        id.loggedIn = Read(id, L"isLogined") == "OK";
        id.storedUrl = Read(id, L"URL");
    }
    if (id.DistinctId.empty()) {
        id.DistinctId = makeDistinctId();
        SaveIdentity(id);
    }
}

void SaveIdentity(const TrackerIdentity& id) {
    Write(id, L"DistinctId", id.DistinctId);
    Write(id, L"PrimaryDistinctId", id.PrimaryDistinctId);
    Write(id, L"UserId", id.UserId);
    Write(id, L"UserVipLevel", std::to_string(id.UserVipLevel));
    Write(id, L"URL", id.storedUrl);
    Write(id, L"isLogined", id.loggedIn ? "OK" : "NG");
}

std::string makeDistinctId() {
    platform::Guid g;
    (void)platform::NewGuid(g);  // the first answer is not used, as always
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (!platform::NewGuid(g)) continue;
        char text[40];
        std::snprintf(text, sizeof(text), "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", static_cast<unsigned>(g.data1),
                      static_cast<unsigned>(g.data2), static_cast<unsigned>(g.data3), g.data4[0], g.data4[1], g.data4[2],
                      g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
        return text;
    }
    // No GUID to be had: eight draws of a Mersenne Twister, filling the fields from the last.
    static std::mt19937 engine;
    std::uniform_int_distribution<unsigned> draw(0, 2147483646);
    unsigned v[8];
    for (int i = 7; i >= 0; --i) v[i] = draw(engine);
    char text[80];
    std::snprintf(text, sizeof(text), "%x%x-%x-%x-%x-%x%x%x", v[0], v[1], v[2], (v[3] & 0xFFF) | 0x4000, v[4] % 0x3FFF + 0x8000,
                  v[5], v[6], v[7]);
    return text;
}

std::string OsVersionText(unsigned major, unsigned minor, unsigned build, bool is64, bool serverR2, bool known) {
    if (!known || major <= 4) return "XP-";
    if (major == 5) {
        if (minor == 0) return "2K";
        if (minor == 1) return "XP";
        if (minor == 2) return is64 ? "XP64" : serverR2 ? "Server 2003 R2" : "Server 2003";
        return "XP+";
    }
    if (major == 6) {
        if (minor == 0) return is64 ? "Vista64" : "Vista";
        if (minor == 1) return is64 ? "7" : "7-32";
        if (minor == 2) return is64 ? "8" : "8-32";
        if (minor == 3) return "8.1";
        return "8.1+";
    }
    if (major == 10) {
        if (minor == 0) return (build & 0xFFFF) < 22000 ? "10" : "11";
        return "11+";
    }
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build & 0xFFFF);
}

OsName osNameAndVersion() {
    const platform::NtVersion v = platform::QueryNtVersion();
    return {"Windows", OsVersionText(v.major, v.minor, v.build, is64BitWindows(), v.serverR2, v.known)};
}

bool is64BitWindows() { return platform::Is64BitSystem(); }

std::string userAgentText() {
    const OsName os = osNameAndVersion();
    return "Mozilla/5.0(" + os.name + " " + os.version + "; Win" + (is64BitWindows() ? "64;)" : "32;)");
}

LocaleTexts localeTexts(const std::string& override) {
    if (const size_t underscore = override.find('_'); underscore != std::string::npos) {
        return {override, override.substr(0, underscore), override.substr(underscore + 1)};
    }
    const platform::UserLocale user = platform::QueryUserLocale();
    if (!user.known) return {};
    return {user.language + "_" + user.country, user.language, user.country};
}

}  // namespace tracking::korvel
