#include <gtest/gtest.h>

#include "platform/profile.h"
#include "support/temp_dir.h"

namespace {

struct ProfileRow {
    const char* name;
    std::string file;  // bytes of the file; ASCII or UTF-16 so that both systems read them alike
    std::wstring section;
    std::wstring key;
    std::wstring fallback;
    size_t buffer;
    std::wstring expected;
};

std::string Utf16Le(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

const std::string kLong(300, 'x');

// The Windows build runs these rows against GetPrivateProfileStringW itself.
const ProfileRow kRows[] = {
    {"plain", "[Install]\r\nDownloadType=3\r\n", L"Install", L"DownloadType", L"d", 260, L"3"},
    {"names ignore case", "[install]\r\ndownloadtype=3\r\n", L"Install", L"DownloadType", L"d", 260, L"3"},
    {"blanks trimmed", "[ Install ]\r\n  Key  =  v a l  \r\n", L"Install", L"Key", L"d", 260, L"v a l"},
    {"lf line ends", "[Install]\nKey=v\n", L"Install", L"Key", L"d", 260, L"v"},
    {"no final line end", "[Install]\r\nKey=v", L"Install", L"Key", L"d", 260, L"v"},
    {"double quotes removed", "[Install]\r\nKey=\"  v \"\r\n", L"Install", L"Key", L"d", 260, L"  v "},
    {"single quotes removed", "[Install]\r\nKey='v'\r\n", L"Install", L"Key", L"d", 260, L"v"},
    {"unmatched quote kept", "[Install]\r\nKey=\"v\r\n", L"Install", L"Key", L"d", 260, L"\"v"},
    {"value keeps '='", "[Install]\r\nInstCmd=/a=b\r\n", L"Install", L"InstCmd", L"d", 260, L"/a=b"},
    {"empty value", "[Install]\r\nKey=\r\n", L"Install", L"Key", L"d", 260, L""},
    {"missing key", "[Install]\r\nOther=1\r\n", L"Install", L"Key", L"dflt", 260, L"dflt"},
    {"missing section", "Key=1\r\n[Other]\r\nKey=2\r\n", L"Install", L"Key", L"dflt", 260, L"dflt"},
    {"key of another section", "[Other]\r\nKey=2\r\n[Install]\r\nX=1\r\n", L"Install", L"Key", L"dflt", 260, L"dflt"},
    {"first key wins", "[Install]\r\nKey=1\r\nKey=2\r\n", L"Install", L"Key", L"d", 260, L"1"},
    {"junk lines skipped", "garbage\r\n[Install]\r\n%%%\r\nKey=v\r\n", L"Install", L"Key", L"d", 260, L"v"},
    {"value cut to buffer", "[Install]\r\nKey=" + kLong + "\r\n", L"Install", L"Key", L"d", 260, std::wstring(259, L'x')},
    {"default cut to buffer", "", L"Install", L"Key", std::wstring(300, L'y'), 260, std::wstring(259, L'y')},
    {"utf-16 file", Utf16Le(L"[Install]\r\nDlAppNameSuffix=.下载器\r\n"), L"Install", L"DlAppNameSuffix", L"d", 260,
     L".下载器"},
};

TEST(ReadProfileString, FollowsTheProfileRules) {
    testing_support::TempDir dir;
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.name);
        const std::wstring file = dir.WriteFile(L"t.ini", row.file);
        EXPECT_EQ(platform::ReadProfileString(file, row.section, row.key, row.fallback, row.buffer), row.expected);
    }
}

TEST(ReadProfileString, MissingFileGivesDefault) {
    testing_support::TempDir dir;
    EXPECT_EQ(platform::ReadProfileString(dir.Child(L"none.ini"), L"Install", L"Key", L"dflt", 260), L"dflt");
}

}  // namespace
