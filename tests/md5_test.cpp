#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "utils/md5.h"
#include "utils/system_checks.h"

namespace {

std::string Hex(const std::array<std::uint8_t, 16>& digest) {
    static const char kHex[] = "0123456789abcdef";
    std::string s;
    for (auto b : digest) {
        s += kHex[b >> 4];
        s += kHex[b & 15];
    }
    return s;
}

struct Md5Row {
    const char* name;
    std::string input;
    const char* digest;
};

// RFC 1321 appendix A.5, and lengths around the 64-byte block and 56-byte padding edges.
const Md5Row kRows[] = {
    {"empty", "", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"alphabet", "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"alphanumeric", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"80 digits", "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
    {"55 bytes", std::string(55, 'x'), "04364420e25c512fd958a70738aa8f72"},
    {"56 bytes", std::string(56, 'x'), "668a72d5ba17f08e62dabcafad6db14b"},
    {"64 bytes", std::string(64, 'x'), "c1bb4f81d892b2d57947682aeb252456"},
};

TEST(Md5, KnownDigests) {
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.name);
        Utils::Md5 whole;
        whole.Update(row.input.data(), row.input.size());
        EXPECT_EQ(Hex(whole.Finish()), row.digest);
        // Fed a byte at a time, the digest is the same.
        Utils::Md5 bytes;
        for (char c : row.input) bytes.Update(&c, 1);
        EXPECT_EQ(Hex(bytes.Finish()), row.digest);
    }
}

TEST(Md5, MillionAs) {
    const std::string chunk(1000, 'a');
    Utils::Md5 md5;
    for (int i = 0; i < 1000; ++i) md5.Update(chunk.data(), chunk.size());
    EXPECT_EQ(Hex(md5.Finish()), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(FileMd5Text, DigestsFilesAndRefusesWhatItCannotRead) {
    testing_support::TempDir dir;
    const std::wstring empty = dir.WriteFile(L"empty.bin", "");
    const std::wstring abc = dir.WriteFile(L"abc.bin", "abc");
    std::string big;
    for (int i = 0; i < 700000; ++i) big += static_cast<char>(i * 7 + (i >> 9));
    const std::wstring bigFile = dir.WriteFile(L"big.bin", big);
    Utils::Md5 expected;
    expected.Update(big.data(), big.size());

    EXPECT_EQ(Utils::FileMd5Text(empty), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Utils::FileMd5Text(abc), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Utils::FileMd5Text(bigFile), Hex(expected.Finish()));
    EXPECT_EQ(Utils::FileMd5Text(std::string()), "");
    EXPECT_EQ(Utils::FileMd5Text(std::wstring()), "");
    EXPECT_EQ(Utils::FileMd5Text(dir.Child(L"missing.bin")), "");
    EXPECT_EQ(Utils::FileMd5Text(dir.path()), "") << "a folder has no digest";
}

}  // namespace
