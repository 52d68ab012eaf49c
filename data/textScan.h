// Line and field scanning over a data file held in memory, for the data file
// reader. Lines end at LF (a CR before it is dropped); fields end at commas.
// Numbers are converted as the C library's atof does in the "C" locale, but
// without depending on the process locale and without copying the field:
// std::from_chars handles a plain decimal field in place, anything else
// (spaces to remove, a '+' sign, hex, junk after the number, out of range)
// goes through a slow path with strtod_l on a cleaned copy.
#pragma once

#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
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

// atof in the "C" locale on a NUL-terminated string; non-finite results
// (inf, nan, overflow) read as 0.0 so that ranges and drawing stay finite.
double parseNumberSlow(const char* text);

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
    // (nothing left once spaces are removed); *value is then untouched.
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
            auto r = std::from_chars(f, end_, v, std::chars_format::general);
            if (r.ec == std::errc() && r.ptr - f <= kFieldMaxChars) {
                if (r.ptr == end_) {
                    more_ = false;
                    p_ = end_;
                    *value = std::isfinite(v) ? v : 0.0;
                    return true;
                }
                if (*r.ptr == ',') {
                    p_ = r.ptr + 1;
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
        text[n] = '\0';
        *value = parseNumberSlow(text);
        return true;
    }

    const char* p_;
    const char* end_;
    bool more_ = true;
};

// Number of non-empty fields of a line (fields of spaces only are empty).
inline long long countNonEmptyFields(const TextLine& line) {
    long long count = 0;
    bool filled = false;
    for (const char* p = line.begin; p < line.end; ++p) {
        if (*p == ',') {
            count += filled;
            filled = false;
        } else if (*p != ' ') {
            filled = true;
        }
    }
    return count + filled;
}

}  // namespace kelvra::datafile
