#pragma once
// Command lines and how CommandLineToArgvW splits them: the documented rules and the observed
// behaviour. The Windows build checks these rows against the system call itself.
#include <string>
#include <vector>

struct SplitRow {
    const char* name;
    std::wstring line;
    std::vector<std::wstring> args;
};

inline const SplitRow kSplitRows[] = {
    {"program only", L"setup.exe", {L"setup.exe"}},
    {"quoted program keeps backslashes", L"\"C:\\Program Files\\a\\\" x", {L"C:\\Program Files\\a\\", L"x"}},
    {"blanks between", L"p  a \t b", {L"p", L"a", L"b"}},
    {"trailing blanks", L"p a   ", {L"p", L"a"}},
    {"quoted blank", L"p \"a b\" c", {L"p", L"a b", L"c"}},
    {"option with quoted value", L"p -downloadurl=\"http://h/a b\"", {L"p", L"-downloadurl=http://h/a b"}},
    {"backslashes not before quote", L"p a\\\\b", {L"p", L"a\\\\b"}},
    {"2n backslashes and quote", L"p a\\\\\"b c\"", {L"p", L"a\\b c"}},
    {"2n+1 backslashes and quote", L"p a\\\"b", {L"p", L"a\"b"}},
    {"trailing backslash in quotes", L"p \"C:\\dir\\\\\" x", {L"p", L"C:\\dir\\", L"x"}},
    {"empty quoted", L"p \"\" x", {L"p", L"", L"x"}},
    {"doubled quote inside quotes", L"p \"a\"\"b\"", {L"p", L"a\"b"}},
    {"three quotes", L"p \"\"\"a", {L"p", L"\"a"}},
    {"unterminated quote", L"p \"a b", {L"p", L"a b"}},
    {"equals in value", L"p -instcmd=/a=b", {L"p", L"-instcmd=/a=b"}},
};

