// CP932 conversion: the bytes of the texts the file formats depend on, the
// characters where CP932 differs from plain Shift-JIS, best-fit encodings,
// tolerant decoding of bytes that name no character, and the cached literals.
#include <gtest/gtest.h>

#include <string>

#include "core/cp932.h"

namespace kelvra {
namespace {

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += char(b);
    return s;
}

const char kReplacement[] = "\xEF\xBF\xBD";   // U+FFFD in UTF-8

TEST(Cp932Encode, FileFormatTextsHaveTheirWindowsBytes) {
    EXPECT_EQ(utf8ToCp932("ﾃﾞｰﾀ形式"), bytes({0xC3, 0xDE, 0xB0, 0xC0, 0x8C, 0x60, 0x8E, 0xAE}));
    EXPECT_EQ(utf8ToCp932("ｽｹｰﾙ"), bytes({0xBD, 0xB9, 0xB0, 0xD9}));   // half-width kana: one byte each
    EXPECT_EQ(utf8ToCp932("テスト"), bytes({0x83, 0x65, 0x83, 0x58, 0x83, 0x67}));
}

// The characters where Shift-JIS tables disagree with the Windows code page.
TEST(Cp932Encode, WindowsSpecificCharactersRoundTrip) {
    struct Case {
        const char* utf8;
        std::string cp932;
    };
    const Case cases[] = {
        {"～", bytes({0x81, 0x60})}, {"－", bytes({0x81, 0x7C})}, {"①", bytes({0x87, 0x40})},
        {"ⅰ", bytes({0xFA, 0x40})},  {"髙", bytes({0xFB, 0xFC})}, {"\\", "\x5C"},
        {"~", "\x7E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(utf8ToCp932(c.utf8), c.cp932);
        EXPECT_EQ(cp932ToUtf8(c.cp932), c.utf8);
    }
}

TEST(Cp932Encode, BestFitCharactersEncodeWithoutRoundTrip) {
    EXPECT_EQ(utf8ToCp932("\u2212"), bytes({0x81, 0x7C}));   // minus sign -> full-width hyphen-minus
    EXPECT_EQ(cp932ToUtf8(bytes({0x81, 0x7C})), "\uFF0D");
    EXPECT_EQ(utf8ToCp932("\u00A5"), "\x5C");                 // yen sign -> backslash byte
}

TEST(Cp932Encode, CharactersWithoutACp932FormBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToCp932("a€b"), "a?b");
    EXPECT_EQ(utf8ToCp932("é"), "?");
    EXPECT_EQ(utf8ToCp932("x\U0001F600y"), "x?y");   // one mark for a four-byte character
}

TEST(Cp932Encode, LongTextsSurviveTheConversionBuffer) {
    std::string utf8, expected;
    for (int i = 0; i < 3000; ++i) {
        utf8 += "ﾃﾞｰﾀ形式,";
        expected += bytes({0xC3, 0xDE, 0xB0, 0xC0, 0x8C, 0x60, 0x8E, 0xAE}) + ",";
    }
    std::string cp = utf8ToCp932(utf8);
    EXPECT_EQ(cp, expected);
    EXPECT_EQ(cp932ToUtf8(cp), utf8);
}

TEST(Cp932Decode, BadBytesBecomeReplacementCharactersAndDecodingGoesOn) {
    // A lead byte followed by a byte that cannot trail it: only the lead is lost.
    EXPECT_EQ(cp932ToUtf8("A\x81 B"), std::string("A") + kReplacement + " B");
    // A lead byte at the very end.
    EXPECT_EQ(cp932ToUtf8("A\x81"), std::string("A") + kReplacement);
    // Single bytes that name no character.
    for (int b : {0x80, 0xA0, 0xFD, 0xFE, 0xFF}) {
        SCOPED_TRACE(b);
        EXPECT_EQ(cp932ToUtf8(std::string("x") + char(b) + "y"), std::string("x") + kReplacement + "y");
    }
    // An unassigned double-byte code: the lead is replaced, the trail read on its own.
    EXPECT_EQ(cp932ToUtf8(bytes({0x85, 0x40})), std::string(kReplacement) + "@");
    // Valid text after the damage decodes normally.
    EXPECT_EQ(cp932ToUtf8(bytes({0xFE, 0x83, 0x65})), std::string(kReplacement) + "テ");
}

TEST(Cp932Decode, UserDefinedAreaDecodesToPrivateUse) {
    EXPECT_EQ(cp932ToUtf8(bytes({0xF0, 0x40})), "\uE000");
    EXPECT_EQ(cp932ToUtf8(bytes({0xED, 0x40})), "纊");   // NEC-selected IBM extension
}

TEST(Cp932CodePoint, OneCharacterAtATime) {
    EXPECT_EQ(cp932CodePoint('A'), U'A');
    EXPECT_EQ(cp932CodePoint(0x5C), U'\\');
    EXPECT_EQ(cp932CodePoint(0xB1), U'\uFF71');   // ｱ
    EXPECT_EQ(cp932CodePoint(0x83, 0x65), U'\u30C6');   // テ
    EXPECT_EQ(cp932CodePoint(0x81, 0x60), U'\uFF5E');   // ～
    EXPECT_EQ(cp932CodePoint(0x81, 0x20), U'\uFFFD');
    EXPECT_EQ(cp932CodePoint(0x80), U'\uFFFD');
    EXPECT_EQ(cp932CodePoint(0xFD), U'\uFFFD');
}

TEST(Cp932LeadBytes, BoundariesOfBothRanges) {
    for (int b : {0x00, 0x40, 0x7F, 0x80, 0xA0, 0xA1, 0xDF, 0xFD, 0xFE, 0xFF}) EXPECT_FALSE(isCp932LeadByte(b)) << b;
    for (int b : {0x81, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(isCp932LeadByte(b)) << b;
}

TEST(Cp932Literals, ConvertedOnceAndKept) {
    static const char kText[] = "メモリー不足です";
    const std::string& first = sj(kText);
    const std::string& second = sj(kText);
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(first, utf8ToCp932(kText));
    EXPECT_EQ(sj("ｽｹｰﾙ"), bytes({0xBD, 0xB9, 0xB0, 0xD9}));
    EXPECT_EQ(sj("[グラフの設定]").front(), '[');
}

TEST(Cp932Ascii, PassesThroughUnchanged) {
    std::string all;
    for (int c = 0; c < 0x80; ++c) all += char(c);
    EXPECT_EQ(utf8ToCp932(all), all);
    EXPECT_EQ(cp932ToUtf8(all), all);
    EXPECT_EQ(cp932ToUtf8(""), "");
}

}  // namespace
}  // namespace kelvra
