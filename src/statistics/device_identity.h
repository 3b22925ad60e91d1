#pragma once
// The statistics identity of this device: where the tracker keeps its files, the identity file
// with its ids and login state, a new anonymous id, and the system texts events carry.
#include <string>

namespace tracking::korvel {

struct TrackerIdentity {
    bool loggedIn = false;
    std::string UserId;
    std::string DistinctId;
    std::string PrimaryDistinctId;
    int UserVipLevel = 0;
    std::string storedUrl;
    std::string dataFolder;    // ends with a separator
    std::string identityFile;
};

// Chooses dataFolder and identityFile for `appName` (creating the folders): the identity file
// named by "KVAnalyticsIni" of "Set.ini" beside the executable when there is one, else
// "<local application data>\KVLocal\<appName>\<appName>_KVSConfigure.ini".
void ChooseIdentityFiles(TrackerIdentity& identity, const std::string& appName, const std::wstring& exeFolder);

// Reads the ids; a missing distinct id is made anew and saved at once.
void LoadIdentity(TrackerIdentity& identity);
// Writes DistinctId, PrimaryDistinctId, UserId, UserVipLevel, URL and isLogined into "Base".
void SaveIdentity(const TrackerIdentity& identity);

// A new anonymous id: a GUID as 36 upper-case characters with hyphens.
std::string makeDistinctId();

struct OsName {
    std::string name;     // "Windows"
    std::string version;  // "10", "11", "7-32", "XP64", ...
};
OsName osNameAndVersion();
bool is64BitWindows();
// "Mozilla/5.0(Windows 10; Win64;)"
std::string userAgentText();

struct LocaleTexts {
    std::string locale;    // "zh_CN"
    std::string language;  // "zh"
    std::string country;   // "CN"
};
// The override ("zh_CN") when it holds "_", else the user's default locale.
LocaleTexts localeTexts(const std::string& override);

// The version text for a set of NT numbers and bitness (exposed for its table).
std::string OsVersionText(unsigned major, unsigned minor, unsigned build, bool is64, bool serverR2, bool known);

}  // namespace tracking::korvel
