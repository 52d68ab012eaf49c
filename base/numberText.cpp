#include "base/numberText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace kelvra {
namespace {

bool isCBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t skipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isCBlank(text[i])) ++i;
    return i;
}

// Room for the widest fixed-point double (309 digits), a sign, a point and the
// largest precision.
constexpr int kMaxPrecision = 40;
constexpr std::size_t kNumberRoom = 400;

void appendFormatted(std::string& out, double v, int precision, std::chars_format how) {
    precision = std::clamp(precision, 0, kMaxPrecision);
    if (std::isnan(v)) {
        out += std::signbit(v) ? "-nan" : "nan";
        return;
    }
    if (std::isinf(v)) {
        out += v < 0 ? "-inf" : "inf";
        return;
    }
    char buf[kNumberRoom];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, how, precision);
    if (ec == std::errc()) out.append(buf, end);
}

}  // namespace

int textToInt(std::string_view text) {
    std::size_t i = skipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 1LL + INT_MAX) value = 1LL + INT_MAX;   // stays far from overflow
    }
    if (negative) value = -value;
    return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

double textToDouble(std::string_view text) {
    std::size_t i = skipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // from_chars takes no "+" and would take a second "-"; only a digit or a
    // point may start the number itself.
    if (i >= text.size() || !((text[i] >= '0' && text[i] <= '9') || text[i] == '.')) return 0.0;
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value,
                                     std::chars_format::general);
    if (ec != std::errc() || !std::isfinite(value)) return 0.0;
    return negative ? -value : value;
}

std::string fixedText(double v, int precision) {
    std::string s;
    appendFixed(s, v, precision);
    return s;
}

std::string exponentText(double v, int precision) {
    std::string s;
    appendExponent(s, v, precision);
    return s;
}

void appendFixed(std::string& out, double v, int precision) {
    appendFormatted(out, v, precision, std::chars_format::fixed);
}

void appendExponent(std::string& out, double v, int precision) {
    appendFormatted(out, v, precision, std::chars_format::scientific);
}

std::string withNumbers(std::string_view format, std::initializer_list<long long> numbers) {
    std::string text;
    auto next = numbers.begin();
    for (std::size_t at = 0;;) {
        std::size_t mark = format.find("%d", at);
        if (mark == std::string_view::npos || next == numbers.end()) {
            text += format.substr(at);
            return text;
        }
        text += format.substr(at, mark - at);
        text += std::to_string(*next++);
        at = mark + 2;
    }
}

int truncatedInt(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return std::isnan(v) ? 0 : v < 0 ? INT_MIN : INT_MAX;
    return int(v);
}

FormattedValue formatNumber(double v, NumberFormat format, int digits) {
    FormattedValue out;
    if (v == 0) v = 0.0;   // -0 prints as 0, not "-0.000"
    switch (format) {
        case FormatAuto:
            // Fixed point with 3 significant-looking decimals inside the usual
            // range, three-digit exponent form outside it. The negative fixed
            // range ends at -999 (not -1000) and prints one place wider.
            if (std::isnan(v)) {
                out = {exponentText(v, 3), 10};
            } else if (v >= 0) {
                if (v == 0 || (v >= 0.01 && v < 1000)) out = {fixedText(v, v >= 100 ? 1 : v >= 10 ? 2 : 3), 5};
                else out = {exponentText(v, 3), 10};
            } else if (v >= -999 && v <= -0.01) {
                out = {fixedText(v, v <= -100 ? 1 : v <= -10 ? 2 : 3), 6};
            } else {
                out = {exponentText(v, 3), 11};
            }
            return out;
        case FormatInteger:
            // Values a hair below a whole number (2.9999999) print as that
            // number. Outside the int range the text saturates; NaN prints as 0.
            out.text = std::to_string(truncatedInt(v > 0 ? v + 0.00001 : v - 0.00001));
            out.width = int(out.text.size());
            return out;
        case FormatDecimal:
            out.text = fixedText(v, digits);
            out.width = int(out.text.size());
            return out;
        case FormatExponent:
            out.text = exponentText(v, digits);
            out.width = int(out.text.size());
            return out;
        case NumberFormatCount: break;
    }
    return out;   // a format outside the list (the record may hold any int) leaves the text empty
}

}  // namespace kelvra
