// CP932 (Shift-JIS as Windows writes it) <-> UTF-8.
//
// Strings in the data set and the settings record are CP932 byte strings, so a
// file read and written again is unchanged byte for byte. Conversion happens only
// at the edges: messages printed on a terminal, the GUI and font lookup.
// Decoding is tolerant: an invalid or unassigned byte sequence becomes U+FFFD and
// decoding goes on with the next byte.
#pragma once

#include <string>
#include <string_view>

namespace kelvra {

// True for the first byte of a double-byte CP932 character (0x81-0x9F, 0xE0-0xFC).
inline bool isCp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Decodes CP932 bytes to UTF-8. Never fails; bad sequences give U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);

// Encodes UTF-8 to CP932. Characters without a CP932 form become '?', and so
// does each broken sequence (its lead byte with the continuation bytes that
// follow it; a byte that could begin a character is never swallowed).
std::string utf8ToCp932(std::string_view utf8);

// Encodes UTF-16 (without its byte-order mark) to CP932, as utf8ToCp932 does;
// an unpaired surrogate and a last odd byte become '?' as well.
std::string utf16ToCp932(std::string_view bytes, bool bigEndian);

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

// Decodes one CP932 character (one byte, or lead + trail) to a code point;
// 0xFFFD when the bytes name no character.
char32_t cp932CodePoint(unsigned char lead, unsigned char trail = 0);

// CP932 bytes of a UTF-8 literal, converted once and kept for the life of the
// program. Meant for the fixed Japanese texts of file formats and messages,
// which the source holds in UTF-8: sj("設定ファイル").
const std::string& sj(const char* utf8Literal);

}  // namespace kelvra
