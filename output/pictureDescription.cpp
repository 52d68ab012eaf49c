// The sentence of output/pictureDescription.h. Numbers are written with four
// significant digits, without the locale, so that the same data gives the
// same bytes on every machine.
#include "output/pictureDescription.h"

#include <charconv>
#include <cmath>

#include "settings/graphTypes.h"

namespace kelvra {
namespace {

std::string number(double v) {
    if (!std::isfinite(v)) return "?";
    if (v == 0) v = 0;   // no "-0"
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 4);
    return ec == std::errc() ? std::string(text, end) : "?";
}

std::string range(const char* name, const ValueRange& r) {
    return std::string(name) + " は " + number(r.min) + " から " + number(r.max);
}

// The value the colours show: the data value where the points carry one, else Z.
int shownValue(const GraphData& d) {
    if (d.dataKind == Vectors) return -1;
    return d.valuesPerPoint == 4 ? 3 : 2;
}

}  // namespace

std::string describePicture(const GraphData& d, const GraphSettings& s) {
    if (!d.dataLoaded) return "データのない空のグラフ。";
    const GraphTypeInfo* type = currentGraphType(s, d);
    std::string text = d.dataKind == Vectors ? "ベクトル図" : type ? std::string(type->label) + " のグラフ" : "グラフ";
    text += "。" + range("X", d.valueRange[RangeX]) + "、" + range("Y", d.valueRange[RangeY]) + "、" +
            range("Z", d.valueRange[RangeZ]);
    if (d.valuesPerPoint == 4 || d.valuesPerPoint == 7) text += "、" + range("データ値", d.valueRange[RangeData]);
    text += "。";
    const int value = shownValue(d);
    const std::size_t points =
        d.dataKind == Grid ? std::size_t(d.columnCount) * std::size_t(d.rowCount) : std::size_t(d.pointCount);
    if (value < 0 || points == 0 || d.storedPoints() < points) return text;
    std::size_t high = points, low = points;
    for (std::size_t p = 0; p < points; ++p) {
        const double v = d.pointAt(p)[value];
        if (!std::isfinite(v)) continue;
        if (high == points || v > d.pointAt(high)[value]) high = p;
        if (low == points || v < d.pointAt(low)[value]) low = p;
    }
    if (high == points) return text;
    const char* name = value == 2 ? "Z" : "データ値";
    auto at = [&](std::size_t p) { return "X=" + number(d.pointAt(p)[0]) + ", Y=" + number(d.pointAt(p)[1]); };
    text += std::string(name) + " の最大 " + number(d.pointAt(high)[value]) + " は " + at(high) + "、最小 " +
            number(d.pointAt(low)[value]) + " は " + at(low) + " にあります。";
    return text;
}

}  // namespace kelvra
