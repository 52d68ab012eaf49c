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

std::optional<PointRecord> pickedPoint(const GraphData& data, std::size_t offset) {
    const std::size_t per = data.valuesPerPoint > 0 ? std::size_t(data.valuesPerPoint) : 0;
    if (per < 3 || offset % per != 0 || offset / per >= data.storedPoints()) return std::nullopt;
    return data.pointAt(offset / per);
}

bool appendPickedPoint(SelectedText& selected, const GraphSettings& settings, const GraphData& data,
                       std::size_t offset) {
    const std::optional<PointRecord> picked = pickedPoint(data, offset);
    if (!picked) return false;
    const PointRecord& p = *picked;
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
