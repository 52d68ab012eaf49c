#include "interact/pickResult.h"

#include <cmath>

#include "data/graphData.h"
#include "settings/graphSettings.h"

namespace kelvra {

namespace {

// Scale kinds of formatValue: X, Y, Z, and the legend's for data values and
// vector components.
constexpr int kLegendKind = 3;

std::string valueText(const GraphSettings& s, double v, int kind) { return formatValue(s, v, kind).text; }

}  // namespace

const double* pickedPoint(const GraphData& data, std::size_t offset) {
    const std::size_t per = data.valuesPerPoint > 0 ? std::size_t(data.valuesPerPoint) : 0;
    const std::size_t stored = data.pointValues.size();
    if (per < 3 || offset % per != 0 || offset > stored || stored - offset < per) return nullptr;
    return data.pointValues.data() + offset;
}

bool appendPickedPoint(SelectedText& selected, const GraphSettings& settings, const GraphData& data,
                       std::size_t offset) {
    const double* p = pickedPoint(data, offset);
    if (!p) return false;
    std::string add;
    int lines = 0;
    if (!selected.text.empty()) {
        add += "\r\n\r\n";
        ++lines;
    }
    add += "X = " + valueText(settings, p[0], 0) + "  Y = " + valueText(settings, p[1], 1) + "  Z = " +
           valueText(settings, p[2], 2);
    ++lines;
    auto vectorLine = [&] {
        add += "\r\nVx = " + valueText(settings, p[3], kLegendKind) + "  Vy = " + valueText(settings, p[4], kLegendKind) +
               "  Vz = " + valueText(settings, p[5], kLegendKind);
        ++lines;
    };
    auto dataLine = [&](double value) {
        add += "\r\nDATA = " + valueText(settings, value, kLegendKind);
        ++lines;
    };
    switch (data.valuesPerPoint) {
        case 4: dataLine(p[3]); break;
        case 6: vectorLine(); break;
        case 7:
            vectorLine();
            dataLine(p[6]);
            break;
        default: break;   // X, Y, Z only
    }
    selected.text += add;
    selected.lineCount += lines;
    return true;
}

}  // namespace kelvra
