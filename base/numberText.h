// Numbers to text and back, the way the program's files hold them, without
// depending on the C locale: a German LC_NUMERIC (which the GUI toolkit may set)
// would otherwise turn "1.5" into "1,5" in every file written and misread every
// file read. Also the four number formats a user can choose for shown values.
// Used by the number formatter formatValue (settings/graphSettings.h), the
// settings file, the data files and the scale recompute.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kelvra {

// The leading decimal integer of text, read as the C atoi reads it: blanks
// (space, tab, line breaks, VT, FF) skipped, an optional sign, then digits up
// to the first other byte; no digits gives 0. Unlike atoi it cannot overflow:
// a number beyond the int range saturates at INT_MIN or INT_MAX.
int textToInt(std::string_view text);

// The leading number of text, read as the C atof reads it in the "C" locale
// (blanks, optional sign, digits with "." and an optional exponent), except
// that what is not a finite number reads as 0.0: no leading number, "nan",
// "inf", and values beyond the double range alike.
double textToDouble(std::string_view text);

// printf("%.*f") and printf("%.*e") in the "C" locale; precision is clamped to
// 0..40. NaN and infinities print as "nan", "-nan", "inf", "-inf".
std::string fixedText(double v, int precision);
std::string exponentText(double v, int precision);
// The same, appended to out (no temporary string: for writing large data).
void appendFixed(std::string& out, double v, int precision);
void appendExponent(std::string& out, double v, int precision);

// A message with numbers: each "%d" of `format` in turn replaced by the next
// number (a "%d" with no number left stays). The format may be CP932: no
// byte of a double-byte character is '%'.
std::string withNumbers(std::string_view format, std::initializer_list<long long> numbers);

// A double as printf("%d") takes it after truncation toward zero, saturating
// at the int limits instead of overflowing; NaN gives 0.
int truncatedInt(double v);

// The number formats of scale values, section positions and legend values
// (the record's scaleFormat and sectionFormat).
enum NumberFormat : int {
    FormatAuto,       // 自動: fixed point with 3 significant decimals in the usual range, else "%.3e"
    FormatInteger,    // 整数
    FormatDecimal,    // 小数: "%.*f" with the digits
    FormatExponent,   // 指数: "%.*e" with the digits
    NumberFormatCount,
};

// A formatted number and the width label placement counts it as.
struct FormattedValue {
    std::string text;
    int width = 0;
};

// v in a number format with `digits` decimals (formats 小数 and 指数). A format
// outside the list gives no text.
FormattedValue formatNumber(double v, NumberFormat format, int digits);

}  // namespace kelvra
