// The reference installation package, and the uninstaller and product it installs: one program
// that acts by the name it runs under.
//   anything else        the package: "<pkg> /S -console=show ... -dsc=B -ssc=B [-instdir="D"] /D=D"
//                        installs Tessaro.exe, uninst.ep, set.ini and the chosen shortcuts into D
//   "uninst.ep", "Tessaro_un_asa.exe" (or built as the reference uninstaller)
//                        the uninstaller: "<un> /S ... _?=D" removes what the package installed
//   "Tessaro.exe"        the product: exits at once
// Both report on standard output with the installer's line protocol. Tests script misbehaviour
// through the environment variable TESSARO_REFERENCE_SCRIPT, which the installer never sets:
// "key=value;..." with fail, error=TEXT, crash, exit=N, silent, split, huge=N, binary=N,
// encode=UTF8, sleep=MS, stderr=N, after=N, nolf.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/command_line.h"
#include "platform/console.h"
#include "platform/file_ops.h"
#include "platform/network.h"
#include "platform/paths.h"
#include "platform/shortcuts.h"
#include "platform/text.h"
#include "utils/system_checks.h"

namespace {

std::map<std::string, std::string> g_script;
bool g_utf8 = false;

void LoadScript() {
    const char* text = std::getenv("TESSARO_REFERENCE_SCRIPT");
    std::string s = text ? text : "";
    size_t start = 0;
    while (start < s.size()) {
        size_t end = s.find(';', start);
        if (end == std::string::npos) end = s.size();
        const std::string item = s.substr(start, end - start);
        const size_t eq = item.find('=');
        if (!item.empty()) g_script[item.substr(0, eq)] = eq == std::string::npos ? "" : item.substr(eq + 1);
        start = end + 1;
    }
}

bool Has(const char* key) { return g_script.count(key) != 0; }
long Number(const char* key) { return Has(key) ? std::strtol(g_script[key].c_str(), nullptr, 10) : 0; }

// One report line, in the ANSI code page until "Encode=UTF8" was sent.
void Say(const std::wstring& line, bool feed = true) {
    const std::string bytes = g_utf8 ? platform::WideToUtf8(line) : platform::WideToAnsi(line);
    (void)platform::WriteStdout(feed ? bytes + "\n" : bytes);  // a lost line is what tests look for
}

void Pause(long ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Misbehaviour before the final line.
void Script() {
    if (Has("stderr")) {
        const std::string junk(static_cast<size_t>(Number("stderr")), 'e');
        (void)platform::WriteStderr(junk);
    }
    if (Has("split")) {
        (void)platform::WriteStdout("Prog");
        Pause(150);
        (void)platform::WriteStdout("ress=0.5\n");
    }
    if (Has("huge")) {
        const std::string junk(static_cast<size_t>(Number("huge")), 'x');
        (void)platform::WriteStdout(junk);
        (void)platform::WriteStdout("\n");
    }
    if (Has("binary")) {
        std::string junk;
        for (long i = 0; i < Number("binary"); ++i) junk.push_back(static_cast<char>(i * 37 % 256));
        (void)platform::WriteStdout(junk);
        (void)platform::WriteStdout("\n");
    }
    if (Has("encode")) {
        Say(L"Encode=" + platform::Utf8ToWide(g_script["encode"]));
        Pause(150);  // the new code page applies from the next read on
        g_utf8 = g_script["encode"] == "UTF8";
        Say(L"Message=安装中");
    }
    if (Has("sleep")) Pause(Number("sleep"));
    if (Has("crash")) std::abort();
    if (Has("exit")) std::exit(static_cast<int>(Number("exit")));
}

// The final line, and what a test asked to follow it.
int Finish(const std::wstring& successLine) {
    if (Has("error")) {
        Say(L"Error=" + platform::Utf8ToWide(g_script["error"]), !Has("nolf"));
    } else if (Has("fail")) {
        Say(L"State=Fail", !Has("nolf"));
    } else {
        Say(successLine, !Has("nolf"));
    }
    if (Has("after")) Pause(150);  // in a later read than the final line
    for (long i = 0; i < Number("after"); ++i) Say(L"Progress=1");
    return 0;
}

// The text after the switch `prefix` to the end of the command line: the directory, blanks
// and all (it is never quoted).
std::wstring Rest(const std::vector<std::wstring>& args, const std::wstring& prefix) {
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].rfind(prefix, 0) != 0) continue;
        std::wstring rest = args[i].substr(prefix.size());
        for (size_t j = i + 1; j < args.size(); ++j) rest += L" " + args[j];
        return rest;
    }
    return {};
}

bool Flag(const std::vector<std::wstring>& args, const std::wstring& name) {
    for (const auto& a : args) {
        if (a == name + L"=true") return true;
    }
    return false;
}

std::wstring Join(const std::wstring& dir, const std::wstring& name) { return dir + platform::kPathSeparator + name; }

std::wstring ShortcutName() { return platform::kPathSeparator == L'\\' ? L"Tessaro.lnk" : L"Tessaro.desktop"; }

int Package(const std::vector<std::wstring>& args) {
    if (Has("silent")) return 0;
    const std::wstring dir = Rest(args, L"/D=");
    Say(L"Progress=0.1");
    if (dir.empty() || !Utils::CreateDirectoryTree(dir)) {
        Say(L"Error=cannot create the installation directory");
        return 1;
    }
    const std::wstring self = platform::ModuleFilePath();
    if (!platform::CopyFileReplacing(self, Join(dir, L"Tessaro.exe")) ||
        !platform::CopyFileReplacing(self, Join(dir, L"uninst.ep"))) {
        Say(L"Error=cannot write the product files");
        return 1;
    }
    Say(L"Progress=0.5");
    {
        std::ofstream ini(std::filesystem::path(Join(dir, L"set.ini")), std::ios::binary | std::ios::trunc);
        ini << "[Uninstall]\r\nIsOverride=true\r\n";
    }
    platform::ComApartment com;  // shell links are COM objects on Windows
    for (const auto& [flag, folder] : {std::pair{L"-dsc", platform::DesktopFolder()},
                                       std::pair{L"-ssc", platform::QuickLaunchFolder()}}) {
        if (!Flag(args, flag)) continue;
        (void)Utils::CreateDirectoryTree(folder);  // a missing shortcut shows in the tests
        (void)platform::CreateShortcut(Join(folder, ShortcutName()), Join(dir, L"Tessaro.exe"));
    }
    Say(L"Progress=0.9");
    Say(L"InstallVersion=1.7.9");
    Say(L"InstPath=" + dir);
    Say(L"StartExe=" + Join(dir, L"Tessaro.exe"));
    Say(L"UninstEp=" + Join(dir, L"uninst.ep"));
    Say(L"StartupStyle=UserStartup");
    Script();
    return Finish(L"State=Success");
}

int Uninstaller(const std::vector<std::wstring>& args) {
    if (Has("silent")) return 0;
    const std::wstring dir = Rest(args, L"_?=");
    Say(L"Progress=0.2");
    for (const wchar_t* name : {L"Tessaro.exe", L"uninst.ep", L"set.ini"}) (void)platform::RemoveFile(Join(dir, name));
    (void)platform::RemoveFile(Join(platform::DesktopFolder(), ShortcutName()));
    (void)platform::RemoveFile(Join(platform::QuickLaunchFolder(), ShortcutName()));
    std::error_code ignored;  // a folder the user put files into stays
    std::filesystem::remove(std::filesystem::path(dir), ignored);
    Say(L"Progress=0.8");
    Script();
    return Finish(L"State=Success");
}

}  // namespace

int main() {
    LoadScript();
    const std::vector<std::wstring> args = platform::ProcessArguments();
    const std::wstring self(platform::FileNameOf(platform::ModuleFilePath()));
    if (self == L"Tessaro.exe") return 0;
#ifdef TESSARO_REFERENCE_UNINSTALLER
    const bool uninstaller = true;
#else
    const bool uninstaller = self == L"uninst.ep" || self == L"Tessaro_un_asa.exe";
#endif
    return uninstaller ? Uninstaller(args) : Package(args);
}
