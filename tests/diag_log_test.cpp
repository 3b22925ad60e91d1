#include <gtest/gtest.h>

#include <cstdarg>
#include <regex>

#include "diag/diag_log.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "support/capture_log.h"

namespace {

struct NameRow {
    const char* pretty;
    const wchar_t* name;
};

TEST(QualifiedFunctionName, DropsSignatureKeepsScopes) {
    const NameRow rows[] = {
        {"void Utils::Thread::CallBack(Utils::Thread*)", L"Utils::Thread::CallBack"},
        {"static void Utils::Thread::CallBack(Utils::Thread*)", L"Utils::Thread::CallBack"},
        {"uint32_t Utils::CheckNetwork()", L"Utils::CheckNetwork"},
        {"Utils::Thread::Thread(void*, std::wstring, Body)", L"Utils::Thread::Thread"},
        {"bool Utils::HardDiskManager::CheckFreeSpace(const std::wstring&)", L"Utils::HardDiskManager::CheckFreeSpace"},
        {"const wchar_t* CMainWnd::name() const", L"CMainWnd::name"},
        {"std::map<int, std::basic_string<char> > Foo::table()", L"Foo::table"},
        {"void CMTCurlDownloader::downloadExe()", L"CMTCurlDownloader::downloadExe"},
        {"CDownloadInstaller::Start()::<lambda(int, double, const wchar_t*)>",
         L"CDownloadInstaller::Start::<lambda(int, double, const wchar_t*)>"},
        {"void Box<T>::put(T) [with T = int]", L"Box<T>::put"},
        {"bool Less::operator()(int, int) const", L"Less::operator()"},
        {"int main()", L"main"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pretty);
        EXPECT_EQ(diag::QualifiedFunctionName(row.pretty), row.name);
    }
}

TEST(QualifiedFunctionName, ThisFunction) {
    EXPECT_EQ(diag::QualifiedFunctionName(__PRETTY_FUNCTION__),
              L"{anonymous}::QualifiedFunctionName_ThisFunction_Test::TestBody");
}

std::wstring Format(const diag::LinePrefix& prefix, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring line = diag::FormatLine(prefix, format, args);
    va_end(args);
    return line;
}

TEST(DiagLogFormat, MatchesTheFixedPrefix) {
    const std::wstring function = L"Utils::Thread::CallBack";
    const diag::LinePrefix prefix{4012, 5120, {2024, 3, 7, 9, 15, 2, 417}, &function, 101};
    EXPECT_EQ(Format(prefix, L"THREAD BEGIN\r\n"),
              L"<P04012><T05120><2024-03-07 09:15:02.417>(Utils::Thread::CallBack)<0101>: THREAD BEGIN\r\n");
    EXPECT_EQ(Format(prefix, L"DL_TYPE=%d", 3),
              L"<P04012><T05120><2024-03-07 09:15:02.417>(Utils::Thread::CallBack)<0101>: DL_TYPE=3");
    const diag::LinePrefix wide{123456, 7, {2024, 12, 31, 23, 59, 59, 9}, &function, 12345};
    EXPECT_EQ(Format(wide, L"%ls|%ld", L"安装", 5L),
              L"<P123456><T00007><2024-12-31 23:59:59.009>(Utils::Thread::CallBack)<12345>: 安装|5");
}

TEST(DiagLogFormat, LongMessagesAreWhole) {
    const std::wstring function = L"f";
    const diag::LinePrefix prefix{1, 2, {2024, 1, 1, 0, 0, 0, 0}, &function, 1};
    const std::wstring big(100000, L'q');
    const std::wstring line = Format(prefix, L"%ls", big.c_str());
    EXPECT_EQ(line.size(), big.size() + std::wstring(L"<P00001><T00002><2024-01-01 00:00:00.000>(f)<0001>: ").size());
}

TEST(DiagLog, WritesOneLinePerCallWithoutAddingALineBreak) {
    testing_support::CaptureLog capture;
    DIAG_LOG(L"no break %d", 1);
    DIAG_LOG(L"HardDiskManager::CheckFreeSpace FAIL code=%ld\r\n", 3L);
    const std::wstring text = capture.Text();
    const std::wregex line(
        L"<P\\d{5,}><T\\d{5,}><\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}>"
        L"\\(\\{anonymous\\}::DiagLog_WritesOneLinePerCallWithoutAddingALineBreak_Test::TestBody\\)<\\d{4}>: ");
    const auto begin = std::wsregex_iterator(text.begin(), text.end(), line);
    EXPECT_EQ(std::distance(begin, std::wsregex_iterator()), 2) << platform::WideToUtf8(text);
    EXPECT_NE(text.find(L": no break 1<P"), std::wstring::npos) << platform::WideToUtf8(text);
    EXPECT_NE(text.find(L"FAIL code=3\r\n"), std::wstring::npos);
    wchar_t pid[16];
    std::swprintf(pid, 16, L"<P%05u>", platform::CurrentProcessId());
    EXPECT_EQ(text.rfind(pid, 0), 0u);
}

}  // namespace
