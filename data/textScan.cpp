// The slow paths of the data file scanner: fields that are not a plain decimal
// number, converted with strtod_l in a "C" locale object so that a comma-decimal
// process locale cannot change what a file means.
#include "data/textScan.h"

#include <locale.h>

#include <cctype>
#include <cstdlib>

namespace kelvra::datafile {
namespace {

locale_t cLocale() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return c;
}

}  // namespace

double parseNumberSlow(const char* text) {
    locale_t c = cLocale();
    double v = c ? strtod_l(text, nullptr, c) : std::strtod(text, nullptr);
    return std::isfinite(v) || std::isnan(v) ? v : 0.0;
}

int parseInteger(const char* begin, const char* end) {
    const char* p = begin;
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    long long v = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > 1LL + INT_MAX) v = 1LL + INT_MAX;   // saturate, keep reading digits
    }
    if (negative) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return int(v);
}

}  // namespace kelvra::datafile
