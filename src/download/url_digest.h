#pragma once
// The integrity rule of the libcurl downloaders: the package's MD5 travels in the address reached
// after redirects, as the path segment before the file name.
#include <string>

namespace download {

// The text between the last two '/' of `realUrl`, or empty text. Only a 32-character result is a
// digest.
std::string GetUrlMd5(const std::string& realUrl);

enum class IntegrityVerdict {
    Good,            // digest matches, or could not be checked
    NoDigest,        // the address carries no 32-character digest: accepted after a detail report
    Mismatch,        // the file's digest differs
};

// Applies the rule to the finished package file.
IntegrityVerdict CheckPackageIntegrity(const std::string& expectedMd5, const std::wstring& packagePath);

}  // namespace download
