#include "diag/diag_log.h"

#include <cwchar>
#include <new>

#include "platform/debug_output.h"

namespace diag {
namespace {

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// Index just past the bracket that closes the one at `open`.
size_t SkipBalanced(std::string_view s, size_t open, char openChar, char closeChar) {
    int depth = 0;
    for (size_t i = open; i < s.size(); ++i) {
        if (s[i] == openChar) ++depth;
        if (s[i] == closeChar && --depth == 0) return i + 1;
    }
    return s.size();
}

// Formats into `out` (resized to fit); false when the text cannot be formatted at all.
bool FormatInto(std::wstring& out, size_t offset, const wchar_t* format, va_list args) {
    // The wide vswprintf cannot count without a buffer on every C library: grow until it fits.
    size_t room = 256;
    for (;;) {
        out.resize(offset + room);
        va_list copy;
        va_copy(copy, args);
        const int n = std::vswprintf(out.data() + offset, room, format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < room) {
            out.resize(offset + static_cast<size_t>(n));
            return true;
        }
        if (room >= (size_t{1} << 22)) return false;  // a malformed format, not a long message
        room *= 4;
    }
}

}  // namespace

std::wstring FormatLine(const LinePrefix& p, const wchar_t* format, va_list args) {
    std::wstring out;
    wchar_t prefix[96];
    const int n = std::swprintf(prefix, sizeof(prefix) / sizeof(prefix[0]),
                                L"<P%05u><T%05u><%04d-%02d-%02d %02d:%02d:%02d.%03d>(", p.processId, p.threadId,
                                p.time.year, p.time.month, p.time.day, p.time.hour, p.time.minute, p.time.second,
                                p.time.milliseconds);
    if (n < 0) return {};
    out.append(prefix, static_cast<size_t>(n));
    out += *p.function;
    const int m = std::swprintf(prefix, sizeof(prefix) / sizeof(prefix[0]), L")<%04d>: ", p.line);
    if (m < 0) return {};
    out.append(prefix, static_cast<size_t>(m));
    if (!FormatInto(out, out.size(), format, args)) return {};
    return out;
}

std::wstring QualifiedFunctionName(std::string_view s) {
    if (const size_t with = s.find(" [with "); with != std::string_view::npos) s = s.substr(0, with);

    // The first parameter list: a '(' outside template arguments that is not "operator()".
    size_t open = std::string_view::npos;
    size_t nameStart = 0;
    int angle = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '<') ++angle;
        if (c == '>' && angle > 0) --angle;
        if (angle != 0) continue;
        if (c == ' ') nameStart = i + 1;
        if (c == '(') {
            if (EndsWith(s.substr(0, i), "operator") && s.substr(i, 2) == "()") {
                ++i;
                continue;
            }
            open = i;
            break;
        }
    }
    if (open == std::string_view::npos) return std::wstring(s.begin(), s.end());

    // Keep the name, drop each parameter list; "()::" continues into a local scope or lambda.
    std::string name;
    size_t i = nameStart;
    angle = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '<') ++angle;
        if (c == '>' && angle > 0) --angle;
        if (c == '(' && angle == 0 && !(EndsWith(name, "operator") && s.substr(i, 2) == "()")) {
            i = SkipBalanced(s, i, '(', ')');
            if (s.substr(i, 2) != "::") break;
            continue;
        }
        if (c == '(' && angle == 0) {  // the "()" of operator()
            name += "()";
            i += 2;
            continue;
        }
        name += c;
        ++i;
    }
    return std::wstring(name.begin(), name.end());
}

void DiagLog(const CallSite& site, int line, const wchar_t* format, ...) {
    // The time is taken once, as the line starts to be built.
    const LinePrefix prefix{platform::CurrentProcessId(), platform::CurrentThreadId(), platform::Now(), &site.name(),
                            line};
    va_list args;
    va_start(args, format);
    std::wstring text;
    try {
        text = FormatLine(prefix, format, args);
    } catch (const std::bad_alloc&) {
        text.clear();  // out of memory: the line is dropped, as the log never fails visibly
    }
    va_end(args);
    if (!text.empty()) platform::DebugOutput(text);
}

}  // namespace diag
