// CP932 conversion: the bytes of the texts the file formats depend on and of
// the characters where CP932 differs from plain Shift-JIS, best-fit encodings,
// tolerant decoding of bytes that name no character, lead bytes, and the kept
// literals.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "base/cp932.h"

namespace kelvra {
namespace {

const std::string kBad = "\uFFFD";   // what bytes that name no character decode to

TEST(Cp932, TextsHaveTheirWindowsBytes) {
    struct Case {
        std::string utf8, bytes;
        const char* decoded = nullptr;   // when the bytes decode to another text
    } cases[] = {
        // Half-width kana are one byte each; ～ ① \ ~ as Windows has them (not as plain Shift-JIS:
        // the rest of the table is glibc's); a best fit with no way back; no CP932 form at all,
        // in UTF-8 characters of 3, 2 and 4 bytes.
        {"ﾃﾞｰﾀ形式", "\xC3\xDE\xB0\xC0\x8C\x60\x8E\xAE"}, {"ｽｹｰﾙ", "\xBD\xB9\xB0\xD9"}, {"～", "\x81\x60"},
        {"①", "\x87\x40"}, {"\\", "\x5C"}, {"~", "\x7E"}, {"\u2212", "\x81\x7C", "\uFF0D"},
        {"a€b", "a?b", "a?b"}, {"é", "?", "?"}, {"x\U0001F600y", "x?y", "x?y"},
    };
    std::string allUtf8, allBytes;   // together, and many times: longer than any conversion buffer
    for (const Case& c : cases) {
        EXPECT_EQ(utf8ToCp932(c.utf8), c.bytes);
        EXPECT_EQ(cp932ToUtf8(c.bytes), c.decoded ? c.decoded : c.utf8);
        for (int i = 0; !c.decoded && i < 500; ++i) allUtf8 += c.utf8, allBytes += c.bytes;
    }
    EXPECT_TRUE(utf8ToCp932(allUtf8) == allBytes && cp932ToUtf8(allBytes) == allUtf8);
    static const char kText[] = "ﾃﾞｰﾀ形式";   // sj converts a literal once and keeps it
    const std::string& kept = sj(kText);
    EXPECT_TRUE(&sj(kText) == &kept && sj("ｽｹｰﾙ") == cases[1].bytes && kept == cases[0].bytes);
}

TEST(Cp932, DecodingIsTolerant) {
    const std::pair<std::string, std::string> cases[] = {
        // A lead byte before a byte that cannot trail it, or at the very end: only the lead
        // is lost; an unassigned double byte: the trail is read on its own; text after the
        // damage.
        {"A\x81 B", "A" + kBad + " B"}, {"A\x81", "A" + kBad}, {"\x85\x40", kBad + "@"}, {"\xFE\x83\x65", kBad + "テ"},
    };
    for (const auto& [bytes, utf8] : cases) EXPECT_EQ(cp932ToUtf8(bytes), utf8) << testing::PrintToString(bytes);
    for (char b : {'\x80', '\xA0', '\xFD', '\xFE', '\xFF'})   // single bytes that name no character
        EXPECT_EQ(cp932ToUtf8(std::string("x") + b + "y"), "x" + kBad + "y") << int(b & 0xFF);
    const std::tuple<int, int, char32_t> points[] = {{0xB1, 0, U'ｱ'}, {0x83, 0xBF, U'α'}, {0x81, 0x20, 0xFFFD}};
    for (auto [lead, trail, point] : points) EXPECT_EQ(cp932CodePoint(lead, trail), point) << lead << "," << trail;
    for (int b : {0x00, 0x7F, 0x80, 0xA0, 0xA1, 0xDF, 0xFD, 0xFF}) EXPECT_FALSE(isCp932LeadByte(b)) << b;
    for (int b : {0x81, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(isCp932LeadByte(b)) << b;
}

// Unicode text from files with a byte-order mark: a broken UTF-8 sequence is one
// '?' and never swallows the line break after it; UTF-16 pairs surrogates, and
// what cannot be paired, or has no CP932 form, is '?'.
TEST(Cp932, UnicodeTextEncodesWithoutLosingLineBreaks) {
    EXPECT_EQ(utf8ToCp932("a\xE3\x81\nb\xF0\x9F\x98\r\nc\xC3"), "a?\nb?\r\nc?");
    // テ, a pair (an emoji), a high surrogate alone before a line break, an odd last byte.
    EXPECT_EQ(utf16ToCp932(std::string("\xC6\x30\x3D\xD8\x00\xDE\x00\xD8\x0A\x00\x41", 11), false),
              "\x83\x65??\n?");
    EXPECT_EQ(utf16ToCp932(std::string("\x30\xC6\x00\x0A\xFF\x61", 6), true), "\x83\x65\n\xA1");
}

// Names on disk and launch-file values are taken as UTF-8 only when they are
// well-formed: overlong forms, surrogates and code points past U+10FFFF are not.
TEST(Cp932, Utf8CheckIsStrict) {
    for (const char* good : {"", "abc", "ﾃﾞｰﾀ", "\xF4\x8F\xBF\xBF", "\xED\x9F\xBF"})
        EXPECT_TRUE(isValidUtf8(good)) << good;
    for (const char* bad : {"\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF0\x80\x80\x80",
                            "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xE3\x81", "\x80", "a\xC3"})
        EXPECT_FALSE(isValidUtf8(bad)) << testing::PrintToString(std::string(bad));
}

}  // namespace
}  // namespace kelvra
