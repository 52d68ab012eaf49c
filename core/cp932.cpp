// CP932 conversion over glibc iconv. glibc's "CP932" table round-trips the
// Windows code page exactly ('\\' stays 0x5C, '~' 0x7E, U+FF5E is 0x8160);
// "SHIFT_JIS" would not, which is why it is not used here.
#include "core/cp932.h"

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
        // EILSEQ or EINVAL: replace and step over the offending bytes.
        out += replacement;
        size_t skip = 1;
        if (skipUtf8Char) {
            unsigned char b = static_cast<unsigned char>(*src);
            skip = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            if (skip > srcLeft) skip = srcLeft;
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
