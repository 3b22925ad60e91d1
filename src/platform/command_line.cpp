#include "platform/command_line.h"

namespace platform {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
    std::vector<std::wstring> args;
    if (line.empty()) return args;

    size_t i = 0;
    std::wstring program;
    if (line[0] == L'"') {
        // The program name takes no escapes: it runs to the next quote.
        ++i;
        while (i < line.size() && line[i] != L'"') program.push_back(line[i++]);
        if (i < line.size()) ++i;
    } else {
        while (i < line.size() && !IsBlank(line[i])) program.push_back(line[i++]);
    }
    args.push_back(std::move(program));

    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) return args;

    std::wstring current;
    size_t backslashes = 0;
    int quotes = 0;  // odd: inside quotes
    while (i < line.size()) {
        const wchar_t c = line[i];
        if (IsBlank(c) && quotes == 0) {
            args.push_back(std::move(current));
            current.clear();
            backslashes = 0;
            while (i < line.size() && IsBlank(line[i])) ++i;
            if (i >= line.size()) return args;
            continue;
        }
        if (c == L'\\') {
            current.push_back(c);
            ++backslashes;
            ++i;
            continue;
        }
        if (c == L'"') {
            current.resize(current.size() - backslashes / 2);
            if (backslashes % 2 == 0) {
                ++quotes;
            } else {
                current.back() = L'"';
            }
            backslashes = 0;
            ++i;
            // A run of quotes: every third one (counting the quote state) is a literal quote.
            while (i < line.size() && line[i] == L'"') {
                if (++quotes == 3) {
                    current.push_back(L'"');
                    quotes = 0;
                }
                ++i;
            }
            if (quotes == 2) quotes = 0;
            continue;
        }
        current.push_back(c);
        backslashes = 0;
        ++i;
    }
    args.push_back(std::move(current));
    return args;
}

}  // namespace platform
