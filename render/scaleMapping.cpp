// Number formatting and the scale recompute: how every number the user sees is
// written, and how the four scales follow the data and the user's choices.
#include <climits>
#include <cmath>
#include <cstdio>

#include "core/kelvraView.h"

namespace kelvra {
namespace {

std::string printed(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string printedDigits(const char* format, int digits, double v) {
    // Wide fixed-point numbers (1e300 with %f) need a bigger buffer than 64.
    int needed = std::snprintf(nullptr, 0, format, digits, v);
    std::string s(std::size_t(needed > 0 ? needed : 0), '\0');
    std::snprintf(s.data(), s.size() + 1, format, digits, v);
    return s;
}

}  // namespace

FormattedValue CKelvraView::formatValue(double v, int kind) const {
    int format = kind < 4 ? scaleFormat[kind] : sectionFormat[kind - 4];
    int digits = kind < 4 ? scaleDigits[kind] : sectionDigits[kind - 4];
    FormattedValue out;
    switch (format) {
        case FormatAuto:
            if (std::isnan(v)) {
                out = {printed("%.3e", v), 10};
            } else if (v >= 0) {
                if (v == 0 || (v >= 0.01 && v < 1000)) {
                    out = {printed(v >= 100 ? "%.1lf" : v >= 10 ? "%.2lf" : "%.3lf", v), 5};
                } else {
                    out = {printed("%.3e", v), 10};
                }
            } else if (v >= -999 && v <= -0.01) {
                out = {printed(v <= -100 ? "%.1lf" : v <= -10 ? "%.2lf" : "%.3lf", v), 6};
            } else {
                out = {printed("%.3e", v), 11};
            }
            return out;
        case FormatInteger: {
            double adjusted = v > 0 ? v + 0.00001 : v - 0.00001;
            // Saturate rather than overflow the conversion; NaN prints as 0.
            long long whole = 0;
            if (adjusted >= double(INT_MAX)) whole = INT_MAX;
            else if (adjusted <= double(INT_MIN)) whole = INT_MIN;
            else if (!std::isnan(adjusted)) whole = (long long)(int)adjusted;
            char buf[32];
            std::snprintf(buf, sizeof buf, "%d", int(whole));
            out.text = buf;
            out.width = int(out.text.size());
            return out;
        }
        case FormatDecimal:
            out.text = printedDigits("%.*f", digits, v);
            out.width = int(out.text.size());
            return out;
        case FormatExponent:
            out.text = printedDigits("%.*e", digits, v);
            out.width = int(out.text.size());
            return out;
        default:
            return out;   // an unknown format leaves the text empty
    }
}

}  // namespace kelvra

namespace kelvra {

void CKelvraView::recomputeScales(bool keepUserScales) {}
void CKelvraView::snapSections() {}
void CKelvraView::resetBarSizes() {}
AxisMapping CKelvraView::graphMapping() const { return kelvra::graphMapping(settings(), axisSpan); }
AxisMapping CKelvraView::scaleMapping() const { return kelvra::scaleMapping(settings(), axisSpan); }

}  // namespace kelvra
