#pragma once
// Profile (INI) files read with the rules of GetPrivateProfileStringW.
#include <cstddef>
#include <string>

namespace platform {

// The value of `key` in `section` of `file`, or `defaultValue` when the file, the section or the
// key is missing. Section and key names compare without regard to ASCII case; the value is trimmed
// of blanks, loses one pair of matching enclosing quotes, and is cut to `bufferChars` - 1
// characters, as the system call does with a buffer of that size.
std::wstring ReadProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue, std::size_t bufferChars);

// Writes `key` = `value` into `section` of `file`, as WritePrivateProfileStringW does: the file and
// the section are created when missing, an existing key (any case) is replaced in place.
bool WriteProfileText(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value);

}  // namespace platform
