#include "installer/line_protocol.h"

#include <cwctype>
#include <functional>

#include "config/number_text.h"
#include "platform/text.h"

namespace installer {
namespace {

// Text values fill a buffer of 772 characters: a longer value, like an empty one, is delivered as
// empty text.
constexpr std::size_t kMaxValue = 771;

std::wstring TextValue(std::wstring_view value) {
    return value.size() > kMaxValue ? std::wstring() : std::wstring(value);
}

std::wstring_view Trimmed(std::wstring_view value) {
    while (!value.empty() && std::iswspace(static_cast<wint_t>(value.front()))) value.remove_prefix(1);
    while (!value.empty() && std::iswspace(static_cast<wint_t>(value.back()))) value.remove_suffix(1);
    return value;
}

double NumberValue(std::wstring_view value) { return config::ParseLeadingDouble(value).value_or(0.0); }

// "%d" taken as an unsigned 32-bit value: -1 is 4294967295.
double MillisecondsValue(std::wstring_view value) {
    return static_cast<double>(static_cast<std::uint32_t>(config::ParseLeadingInt(value).value_or(0)));
}

// The code page an "Encode=" number names: a decimal number with leading blanks; 0 when it is
// not one or does not fit in 32 bits.
std::uint32_t CodePageNumber(std::wstring_view value) {
    const auto n = config::ParseLeadingInt(value);
    return n && *n >= 0 ? static_cast<std::uint32_t>(*n) : 0;
}

// Calls `line` for every non-empty line of `text`.
void ForEachLine(const std::wstring& text, const std::function<void(std::wstring_view)>& line) {
    std::wstring_view rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find(L'\n');
        const std::wstring_view current = rest.substr(0, end);
        rest = end == std::wstring_view::npos ? std::wstring_view{} : rest.substr(end + 1);
        if (!current.empty()) line(current);
    }
}

bool Key(std::wstring_view line, std::wstring_view key, std::wstring_view& value) {
    if (line.substr(0, key.size()) != key) return false;
    value = line.substr(key.size());
    return true;
}

}  // namespace

std::wstring LineAssembler::TakeChunk(std::string_view bytes, std::uint32_t codePage) {
    std::string whole;
    while (!bytes.empty()) {
        const size_t feed = bytes.find('\n');
        if (feed == std::string_view::npos) {
            if (!skipping_) {
                carried_.append(bytes);
                if (carried_.size() > kMaxCarried) {
                    carried_.clear();
                    skipping_ = true;
                }
            }
            break;
        }
        if (!skipping_) whole += carried_.append(bytes.substr(0, feed + 1));
        carried_.clear();
        skipping_ = false;
        bytes.remove_prefix(feed + 1);
    }
    return whole.empty() ? std::wstring() : platform::DecodeCodePage(whole, codePage);
}

std::wstring LineAssembler::Finish(std::uint32_t codePage) {
    std::wstring last = skipping_ || carried_.empty() ? std::wstring() : platform::DecodeCodePage(carried_, codePage);
    carried_.clear();
    skipping_ = false;
    return last;
}

int ParsePackageLines(const std::wstring& text, PackageLineState& state, const Utils::StatusCallback& report) {
    int result = kParseNone;
    ForEachLine(text, [&](std::wstring_view line) {
        std::wstring_view v;
        if (Key(line, L"Progress=", v)) {
            report(IST_CODE_PROGRESS, NumberValue(v), L"");
        } else if (Key(line, L"InstPath=", v)) {
            report(IST_INFO_INST_PATH, 0.0, TextValue(v).c_str());
        } else if (Key(line, L"State=", v)) {
            if (Trimmed(v) == L"Success") {
                report(IST_CODE_SUCCESS, 0.0, L"");
                result = kParseSuccess;
            } else if (Trimmed(v) == L"Fail") {
                report(IST_CODE_FAIL, 0.0, L"安装包安装失败");
                result = kParseFailure;
            }
        } else if (Key(line, L"InstallVersion=", v)) {
            // Like "%d.%d.%d": the numbers read replace their fields; reading stops at the first miss.
            std::int32_t* fields[] = {&state.versionMajor, &state.versionMinor, &state.versionPatch};
            for (std::int32_t* field : fields) {
                size_t digits = 0;
                while (digits < v.size() && std::iswspace(static_cast<wint_t>(v[digits]))) ++digits;
                if (digits < v.size() && (v[digits] == L'-' || v[digits] == L'+')) ++digits;
                while (digits < v.size() && v[digits] >= L'0' && v[digits] <= L'9') ++digits;
                const auto n = config::ParseLeadingInt(v.substr(0, digits));
                if (!n) break;
                *field = *n;
                v.remove_prefix(digits);
                if (v.empty() || v.front() != L'.') break;
                v.remove_prefix(1);
            }
        } else if (Key(line, L"ExePath=", v) || Key(line, L"StartExe=", v)) {
            report(IST_INFO_EXE_PATH, 0.0, TextValue(v).c_str());
        } else if (Key(line, L"UninstExePath=", v) || Key(line, L"UninstExe=", v)) {
            report(IST_INFO_UNINST_EXE, 0.0, TextValue(v).c_str());
        } else if (Key(line, L"UninstEp=", v)) {
            report(IST_INFO_UNINST_EP, 0.0, TextValue(v).c_str());
        } else if (Key(line, L"Error=", v)) {
            report(IST_CODE_FAIL, 1000.0, TextValue(v).c_str());
            result = kParseFailure;
        } else if (Key(line, L"TopShowDetention=", v)) {
            report(IST_INFO_TOP_SHOW_DETENTION, MillisecondsValue(v), L"");
        } else if (Key(line, L"FinsihCloseDetention=", v)) {  // the package spells it so
            report(IST_INFO_FINISH_CLOSE_DETENTION, MillisecondsValue(v), L"");
        } else if (Key(line, L"StartUrl=", v)) {
            report(IST_INFO_START_URL, 0.0, TextValue(v).c_str());
        } else if (Key(line, L"StartupStyle=", v)) {
            const std::wstring_view style = Trimmed(v);
            report(IST_INFO_STARTUP_STYLE, style == L"AutoStartup" ? 1.0 : style == L"UserStartup" ? 2.0 : 0.0, L"");
        } else if (Key(line, L"Encode=", v)) {
            const std::wstring_view encoding = Trimmed(v);
            state.codePage = encoding == L"UTF8" ? 65001 : encoding == L"ACP" ? 0 : CodePageNumber(encoding);
        } else if (Key(line, L"Message=", v)) {
            report(IST_INFO_MESSAGE, 0.0, TextValue(v).c_str());
        }
    });
    return result;
}

int ParseUninstallerLines(const std::wstring& text, std::uint32_t& codePage, const Utils::StatusCallback& report) {
    int result = kParseNone;
    ForEachLine(text, [&](std::wstring_view line) {
        std::wstring_view v;
        if (Key(line, L"Progress=", v)) {
            report(UNIST_CODE_PROGRESS, NumberValue(v), L"");
        } else if (Key(line, L"Error=", v)) {
            report(UNIST_CODE_ERROR, 0.0, TextValue(v).c_str());
            result = kParseFailure;
        } else if (Key(line, L"State=", v)) {
            if (Trimmed(v) == L"Success") {
                report(UNIST_CODE_SUCCESS, 0.0, L"");
                result = kParseSuccess;
            } else if (Trimmed(v) == L"Fail") {
                report(UNIST_CODE_ERROR, 0.0, L"安装包卸载失败");
                result = kParseFailure;
            }
        } else if (Key(line, L"Encode=", v)) {
            codePage = Trimmed(v) == L"UTF8" ? 65001 : 0;
        }
    });
    return result;
}

}  // namespace installer
