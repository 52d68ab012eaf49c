// CP932 conversion over glibc iconv. glibc's "CP932" table round-trips the
// Windows code page exactly ('\\' stays 0x5C, '~' 0x7E, U+FF5E is 0x8160);
// "SHIFT_JIS" would not, which is why it is not used here.
#include "base/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <mutex>

namespace kelvra {
namespace {

// One converter per direction, opened on first use. iconv descriptors are not
// thread-safe, so each use takes the lock; conversions are short and rare.
struct Converter {
    iconv_t cd;
    std::mutex lock;
    Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
};

Converter& decoder() {
    static Converter c("UTF-8", "CP932");
    return c;
}
Converter& encoder() {
    static Converter c("CP932", "UTF-8");
    return c;
}

// Converts in one call where possible; on a bad sequence emits `replacement`
// and skips `skip` input bytes (1 for decoding, one UTF-8 character for encoding).
std::string convert(Converter& c, std::string_view in, std::string_view replacement,
                    bool skipUtf8Char) {
    std::string out;
    if (c.cd == iconv_t(-1)) {
        out.assign(in);
        return out;
    }
    std::lock_guard<std::mutex> guard(c.lock);
    iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[1024];
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        size_t r = iconv(c.cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, dst - buf);
        if (r != size_t(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: replace and step over the offending bytes. In
        // UTF-8 that is the lead byte and the continuation bytes it owns, so a
        // broken sequence before a line break keeps the line break.
        out += replacement;
        size_t skip = 1;
        if (skipUtf8Char) {
            unsigned char b = static_cast<unsigned char>(*src);
            size_t owned = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            while (skip < owned && skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
        }
        src += skip;
        srcLeft -= skip;
        iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

}  // namespace

std::string cp932ToUtf8(std::string_view cp932) {
    // Plain ASCII is by far the common case (numbers, labels): no iconv needed.
    bool ascii = true;
    for (unsigned char b : cp932) ascii = ascii && b < 0x80;
    if (ascii) return std::string(cp932);
    return convert(decoder(), cp932, "\xEF\xBF\xBD", false);
}

std::string utf8ToCp932(std::string_view utf8) {
    bool ascii = true;
    for (unsigned char b : utf8) ascii = ascii && b < 0x80;
    if (ascii) return std::string(utf8);
    return convert(encoder(), utf8, "?", true);
}

std::string utf16ToCp932(std::string_view bytes, bool bigEndian) {
    auto unit = [&](std::size_t i) -> char32_t {
        unsigned char a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (char32_t(a) << 8 | b) : (char32_t(b) << 8 | a);
    };
    // To UTF-8 first; U+FFFD has no CP932 form, so what is broken here ends as '?'.
    std::string utf8;
    utf8.reserve(bytes.size() / 2 * 3);
    auto put = [&](char32_t c) {
        if (c < 0x80) {
            utf8 += char(c);
        } else if (c < 0x800) {
            utf8 += char(0xC0 | (c >> 6));
            utf8 += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8 += char(0xE0 | (c >> 12));
            utf8 += char(0x80 | ((c >> 6) & 0x3F));
            utf8 += char(0x80 | (c & 0x3F));
        } else {
            utf8 += char(0xF0 | (c >> 18));
            utf8 += char(0x80 | ((c >> 12) & 0x3F));
            utf8 += char(0x80 | ((c >> 6) & 0x3F));
            utf8 += char(0x80 | (c & 0x3F));
        }
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                put(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        put(c >= 0xD800 && c <= 0xDFFF ? char32_t(0xFFFD) : c);
    }
    if (i < bytes.size()) put(0xFFFD);
    return utf8ToCp932(utf8);
}

bool isValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        // The range the second byte must lie in rules out overlong forms,
        // surrogates and code points past U+10FFFF (RFC 3629).
        std::size_t more;
        unsigned char lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) more = 1;
        else if (c == 0xE0) more = 2, lo = 0xA0;
        else if (c == 0xED) more = 2, hi = 0x9F;
        else if (c >= 0xE1 && c <= 0xEF) more = 2;
        else if (c == 0xF0) more = 3, lo = 0x90;
        else if (c == 0xF4) more = 3, hi = 0x8F;
        else if (c >= 0xF1 && c <= 0xF3) more = 3;
        else return false;
        if (n - i <= more || p[i + 1] < lo || p[i + 1] > hi) return false;
        for (std::size_t k = 2; k <= more; ++k)
            if ((p[i + k] & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

char32_t cp932CodePoint(unsigned char lead, unsigned char trail) {
    char bytes[2] = {char(lead), char(trail)};
    std::string_view in(bytes, isCp932LeadByte(lead) ? 2 : 1);
    if (in.size() == 1 && lead < 0x80) return lead;
    std::string u = convert(decoder(), in, "\xEF\xBF\xBD", false);
    // Decode the single UTF-8 character produced.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(u.data());
    if (u.empty()) return 0xFFFD;
    if (p[0] < 0x80) return p[0];
    if (p[0] < 0xE0 && u.size() >= 2) return ((p[0] & 0x1F) << 6) | (p[1] & 0x3F);
    if (p[0] < 0xF0 && u.size() >= 3)
        return ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    if (u.size() >= 4)
        return ((p[0] & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) |
               (p[3] & 0x3F);
    return 0xFFFD;
}

const std::string& sj(const char* utf8Literal) {
    // Keyed by the literal's address: each literal is converted once.
    static std::mutex lock;
    static std::map<const char*, std::string> cache;
    std::lock_guard<std::mutex> guard(lock);
    auto it = cache.find(utf8Literal);
    if (it == cache.end()) it = cache.emplace(utf8Literal, utf8ToCp932(utf8Literal)).first;
    return it->second;
}

}  // namespace kelvra
