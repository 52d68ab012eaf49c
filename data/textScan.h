// Line and field scanning over a data file held in memory, for the data file
// reader. Lines end at LF (a CR before it is dropped); fields end at commas.
// Numbers are converted as the C library's atof does in the "C" locale, but
// without depending on the process locale and without copying the field:
// parseDecimal handles a plain decimal field in place, anything else
// (spaces to remove, a '+' sign, hex, junk after the number, out of range)
// goes through a slow path with strtod_l on a cleaned copy.
#pragma once

#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kelvra::datafile {

// A field keeps at most this many characters once its spaces are removed.
inline constexpr int kFieldMaxChars = 199;

// One line of text without its line break.
struct TextLine {
    const char* begin = nullptr;
    const char* end = nullptr;
    std::size_t size() const { return std::size_t(end - begin); }
    bool startsWith(char c) const { return begin < end && *begin == c; }
};

// Walks the lines of [begin, end). A last line without a line break counts; an
// empty remainder after the last LF is not a line.
class LineCursor {
public:
    LineCursor(const char* begin, const char* end) : p_(begin), end_(end) {}
    bool next(TextLine* line) {
        if (p_ >= end_) return false;
        const char* nl = static_cast<const char*>(std::memchr(p_, '\n', std::size_t(end_ - p_)));
        const char* lineEnd = nl ? nl : end_;
        line->begin = p_;
        line->end = (lineEnd > p_ && lineEnd[-1] == '\r') ? lineEnd - 1 : lineEnd;
        p_ = nl ? nl + 1 : end_;
        return true;
    }
    // Start of the line that next() would return.
    const char* position() const { return p_; }

private:
    const char* p_;
    const char* end_;
};

// A plain decimal number at the start of [p, end): an optional '-', digits
// with an optional decimal point (`Point`: '.', or ',' for files that write
// decimal commas), an optional exponent. Returns the end of the number, or
// nullptr when there is none. Most numbers in data files have at most 19
// significant digits and a small exponent; those are converted exactly (one
// correctly rounded multiplication or division of two exact doubles, so the
// result equals strtod's) without calling the library. The rest go to
// std::from_chars, which is correctly rounded as well.
template <char Point = '.'>
inline const char* parseDecimal(const char* p, const char* end, double* value) {
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    auto isDigit = [](char c) { return unsigned(c - '0') < 10; };
    const char* start = p;
    bool negative = p < end && *p == '-';
    if (negative) ++p;
    std::uint64_t mantissa = 0;   // wraps when there are too many digits; then unused
    const char* q = p;
    while (q < end && isDigit(*q)) mantissa = mantissa * 10 + unsigned(*q++ - '0');
    std::ptrdiff_t digits = q - p, fraction = 0;
    if (q < end && *q == Point) {
        const char* f = ++q;
        while (q < end && isDigit(*q)) mantissa = mantissa * 10 + unsigned(*q++ - '0');
        fraction = q - f;
        digits += fraction;
    }
    if (digits == 0) return nullptr;
    long exponent = 0;
    if (q < end && (*q == 'e' || *q == 'E')) {
        // Part of the number only with at least one digit ("1e" reads as 1).
        const char* e = q + 1;
        bool negativeExponent = e < end && *e == '-';
        if (e < end && (*e == '-' || *e == '+')) ++e;
        const char* first = e;
        long x = 0;
        for (; e < end && isDigit(*e); ++e)
            if (x < 100000) x = x * 10 + (*e - '0');   // beyond that only the exit path matters
        if (e > first) {
            q = e;
            exponent = negativeExponent ? -x : x;
        }
    }
    if (digits <= 19 && mantissa <= (std::uint64_t(1) << 53)) {
        long e10 = exponent - long(fraction);
        double m = double(mantissa);
        if (e10 >= 0 && e10 <= 22) {
            *value = negative ? -(m * kPow10[e10]) : m * kPow10[e10];
            return q;
        }
        if (e10 < 0 && e10 >= -22) {
            *value = negative ? -(m / kPow10[-e10]) : m / kPow10[-e10];
            return q;
        }
    }
    if constexpr (Point == '.') {
        auto r = std::from_chars(start, end, *value, std::chars_format::general);
        return r.ec == std::errc() ? r.ptr : nullptr;
    } else {
        // from_chars knows only '.': the number as scanned, with its point replaced.
        char text[128];
        if (q - start >= std::ptrdiff_t(sizeof text)) return nullptr;
        for (const char* c = start; c < q; ++c) text[c - start] = *c == Point ? '.' : *c;
        auto r = std::from_chars(text, text + (q - start), *value, std::chars_format::general);
        return r.ec == std::errc() ? start + (r.ptr - text) : nullptr;
    }
}

// atof in the "C" locale on a NUL-terminated string. "nan" (in any case, as
// strtod reads it) stays NaN: a missing value, a hole in the graph; the other
// non-finite results (inf, overflow) read as 0.0.
double parseNumberSlow(const char* text);

// A value that places a point (X, Y, a vector's component) cannot be missing:
// NaN reads as 0.0 there, as it always has.
inline double placed(double v) { return v != v ? 0.0 : v; }

// A line of nothing but commas: a spreadsheet's empty row, no row at all.
inline bool onlyCommas(const TextLine& line) {
    if (!line.startsWith(',')) return false;
    for (const char* p = line.begin; p < line.end; ++p)
        if (*p != ',') return false;
    return true;
}

// atoi on [begin, end): leading white space, a sign, digits; no digits gives 0,
// values beyond int saturate instead of overflowing.
int parseInteger(const char* begin, const char* end);

// Splits one line into comma-separated fields. A line of n commas has n + 1
// fields; an empty line has one empty field.
class FieldCursor {
public:
    explicit FieldCursor(const TextLine& line) : p_(line.begin), end_(line.end) {}
    bool more() const { return more_; }

    // Converts the next field into *value. Returns false for an empty field
    // (nothing left once spaces are removed, or only a pair of quotes); *value
    // is then untouched. A field wholly inside double quotes is its content.
    bool next(double* value) {
        const char* f = p_;
        if (f >= end_) {
            more_ = false;
            return false;
        }
        char c = *f;
        if (c == ',') {
            p_ = f + 1;
            return false;
        }
        if ((c >= '0' && c <= '9') || c == '-' || c == '.') {
            double v;
            const char* stop = parseDecimal(f, end_, &v);
            if (stop && stop - f <= kFieldMaxChars) {
                if (stop == end_) {
                    more_ = false;
                    p_ = end_;
                    *value = std::isfinite(v) ? v : 0.0;
                    return true;
                }
                if (*stop == ',') {
                    p_ = stop + 1;
                    *value = std::isfinite(v) ? v : 0.0;
                    return true;
                }
            }
        }
        return nextSlow(value);
    }

    // Steps over the next field without converting it.
    void skip() {
        const char* comma = static_cast<const char*>(std::memchr(p_, ',', std::size_t(end_ - p_)));
        if (comma) {
            p_ = comma + 1;
        } else {
            p_ = end_;
            more_ = false;
        }
    }

private:
    bool nextSlow(double* value) {
        char text[kFieldMaxChars + 1];
        int n = 0;
        bool any = false;
        const char* q = p_;
        for (; q < end_ && *q != ','; ++q) {
            if (*q == ' ') continue;
            any = true;
            if (n < kFieldMaxChars) text[n++] = *q;
        }
        if (q < end_) {
            p_ = q + 1;
        } else {
            p_ = end_;
            more_ = false;
        }
        if (!any) return false;
        // A spreadsheet quotes what it likes: "9" is 9 (a doubled quote inside is one).
        const char* number = text;
        if (n >= 2 && text[0] == '"' && text[n - 1] == '"') {
            int kept = 0;
            for (int i = 1; i < n - 1; ++i) {
                if (text[i] == '"' && i + 2 < n && text[i + 1] == '"') ++i;
                text[kept++] = text[i];
            }
            n = kept;
            if (n == 0) return false;
        }
        text[n] = '\0';
        *value = parseNumberSlow(number);
        return true;
    }

    const char* p_;
    const char* end_;
    bool more_ = true;
};

// Number of non-empty fields of a line (fields of spaces only, or of a pair
// of quotes, are empty), as FieldCursor sees them.
inline long long countNonEmptyFields(const TextLine& line) {
    long long count = 0;
    int seen = 0;          // characters other than spaces in the field, 3 at most
    bool quotes = true;    // all of them quotes
    for (const char* p = line.begin; p < line.end; ++p) {
        if (*p == ',') {
            count += seen > 0 && !(seen == 2 && quotes);
            seen = 0;
            quotes = true;
        } else if (*p != ' ' && seen < 3) {
            ++seen;
            quotes = quotes && *p == '"';
        }
    }
    return count + (seen > 0 && !(seen == 2 && quotes));
}

}  // namespace kelvra::datafile
