// Profile files the way the Windows profile functions read them. The file is UTF-16 when it
// starts with a UTF-16 byte-order mark, else UTF-8 (the "ANSI" code page here); a UTF-8 mark is
// skipped.
#include <fstream>
#include <string>
#include <vector>
#include <iterator>
#include <string_view>

#include "platform/posix/native_path.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace platform {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\v' || c == L'\f'; }

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    std::ifstream in(posix::NativePath(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring out;
    auto unitAt = [&](size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t cp = unitAt(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
        out.push_back(static_cast<wchar_t>(cp));
    }
    return out;
}

std::wstring DecodeProfile(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return DecodeUtf16(bytes.substr(2), false);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF)
        return DecodeUtf16(bytes.substr(2), true);
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return Utf8ToWide(bytes);
}

// Finds the raw value of the first matching key in the first matching section.
bool FindValue(std::wstring_view text, std::wstring_view section, std::wstring_view key, std::wstring_view& value) {
    bool inSection = false;
    bool sectionSeen = false;
    while (!text.empty()) {
        const size_t eol = text.find(L'\n');
        std::wstring_view line = Trim(text.substr(0, eol));
        text = eol == std::wstring_view::npos ? std::wstring_view{} : text.substr(eol + 1);
        if (line.empty() || line.front() == L';') continue;
        if (line.front() == L'[') {
            // Only the first section of a name counts; a later one of the same name is not merged.
            if (inSection) return false;
            std::wstring_view name = line.substr(1);
            const size_t close = name.find(L']');
            if (close != std::wstring_view::npos) name = name.substr(0, close);
            inSection = !sectionSeen && EqualsIgnoreAsciiCase(Trim(name), section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection) continue;
        const size_t eq = line.find(L'=');
        if (!EqualsIgnoreAsciiCase(Trim(line.substr(0, eq)), key)) continue;
        // A key without '=' has no value: the caller's default applies, as on Windows.
        if (eq == std::wstring_view::npos) return false;
        value = Trim(line.substr(eq + 1));
        return true;
    }
    return false;
}

std::wstring_view TrimTrailing(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::wstring FitBuffer(std::wstring_view value, std::size_t bufferChars) {
    if (bufferChars == 0) return {};
    return std::wstring(value.substr(0, bufferChars - 1));
}

}  // namespace

std::wstring ReadProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue, std::size_t bufferChars) {
    std::string bytes;
    std::wstring text;
    std::wstring_view value;
    if (ReadWholeFile(file, bytes)) text = DecodeProfile(bytes);
    // The system trims trailing blanks of the default as well.
    if (!FindValue(text, section, key, value)) return FitBuffer(TrimTrailing(defaultValue), bufferChars);
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return FitBuffer(value, bufferChars);
}

bool WriteProfileText(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value) {
    std::string bytes;
    const bool utf16 = ReadWholeFile(file, bytes) && bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                       static_cast<unsigned char>(bytes[1]) == 0xFE;
    const std::wstring text = DecodeProfile(bytes);

    // Rebuild the file line by line: replace the key in the first matching section, or add it
    // at that section's end, or add the section at the end of the file.
    std::vector<std::wstring> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    const std::wstring entry = key + L"=" + value;
    bool inSection = false, done = false;
    size_t lastOfSection = std::wstring::npos;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        const std::wstring_view line = Trim(lines[i]);
        if (!line.empty() && line.front() == L'[') {
            if (inSection) break;
            std::wstring_view name = line.substr(1);
            name = name.substr(0, name.find(L']'));
            inSection = EqualsIgnoreAsciiCase(Trim(name), section);
            if (inSection) lastOfSection = i;
            continue;
        }
        if (!inSection) continue;
        if (!line.empty()) lastOfSection = i;
        const size_t eq = line.find(L'=');
        if (eq != std::wstring_view::npos && EqualsIgnoreAsciiCase(Trim(line.substr(0, eq)), key)) {
            lines[i] = entry;
            done = true;
        }
    }
    if (!done && lastOfSection != std::wstring::npos) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastOfSection) + 1, entry);
    } else if (!done) {
        while (!lines.empty() && lines.back().empty()) lines.pop_back();
        lines.push_back(L"[" + section + L"]");
        lines.push_back(entry);
    }
    std::wstring out;
    for (const std::wstring& line : lines) {
        if (&line != &lines.back() || !line.empty()) out += line + L"\r\n";
    }
    std::string encoded;
    if (utf16) {
        encoded = "\xFF\xFE";
        auto put = [&encoded](char32_t unit) {
            encoded.push_back(static_cast<char>(unit & 0xFF));
            encoded.push_back(static_cast<char>((unit >> 8) & 0xFF));
        };
        for (const wchar_t c : out) {
            const auto cp = static_cast<char32_t>(c);
            if (cp >= 0x10000) {
                put(0xD800 + ((cp - 0x10000) >> 10));
                put(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                put(cp);
            }
        }
    } else {
        encoded = WideToUtf8(out);
    }
    std::ofstream outFile(posix::NativePath(file), std::ios::binary | std::ios::trunc);
    outFile.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
    outFile.flush();
    return static_cast<bool>(outFile);
}

}  // namespace platform
