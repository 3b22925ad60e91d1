#include <gtest/gtest.h>

#include "platform/text.h"

namespace {

struct Utf8Row {
    const char* name;
    std::string utf8;
    std::wstring wide;
};

TEST(Utf8ToWide, DecodesAndReplacesMalformedInput) {
    const Utf8Row rows[] = {
        {"empty", "", L""},
        {"ascii", "abc", L"abc"},
        {"two-byte", "\xC3\xA9", L"\u00E9"},
        {"chinese", "\xE7\xAB\x8B\xE5\x8D\xB3\xE5\xAE\x89\xE8\xA3\x85", L"立即安装"},
        {"astral", "\xF0\x9F\x98\x80", L"\U0001F600"},
        {"lone continuation", "a\x80" "b", L"a\uFFFD" L"b"},
        {"truncated sequence", "a\xE7\xAB", L"a\uFFFD"},
        {"broken sequence", "\xE7\xAB" "b", L"\uFFFD" L"b"},
        {"overlong slash", "\xC0\xAF", L"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", L"\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", L"\uFFFD"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(platform::Utf8ToWide(row.utf8), row.wide);
    }
}

TEST(WideToUtf8, RoundTripsValidText) {
    for (const std::wstring text : {L"", L"Tessaro", L"安装中 ✓", L"\U0001F600x"}) {
        EXPECT_EQ(platform::Utf8ToWide(platform::WideToUtf8(text)), text);
    }
    EXPECT_EQ(platform::WideToUtf8(L"\u00E9"), "\xC3\xA9");
}

TEST(EqualsIgnoreAsciiCase, FoldsAsciiOnly) {
    EXPECT_TRUE(platform::EqualsIgnoreAsciiCase(L"Install", L"iNSTALL"));
    EXPECT_FALSE(platform::EqualsIgnoreAsciiCase(L"Install", L"Instal"));
    EXPECT_FALSE(platform::EqualsIgnoreAsciiCase(L"a", L"b"));
}

}  // namespace
