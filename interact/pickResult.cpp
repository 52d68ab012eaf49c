#include "interact/pickResult.h"

#include <cmath>

#include "data/graphData.h"
#include "settings/graphSettings.h"

namespace kelvra {

PickHits readSelectHits(std::span<const std::uint32_t> buffer, long hitCount) {
    PickHits hits;
    if (hitCount < 0 || hitCount > kPickHitLimit) {
        hits.tooMany = true;
        return hits;
    }
    std::size_t at = 0;
    for (long h = 0; h < hitCount; ++h) {
        if (at + 3 > buffer.size()) break;
        std::size_t count = buffer[at];
        if (count > buffer.size() - at - 3) break;
        for (std::size_t k = 0; k < count; ++k) {
            std::uint32_t name = buffer[at + 3 + k];
            if (name != kNoPointName) hits.names.push_back(name);
        }
        at += 3 + count;
    }
    return hits;
}

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

std::optional<PickMarkerBox> pickMarkerBox(const GraphSettings& s, const AxisMapping& graphMap, const double* xyz) {
    PickMarkerBox box;
    box.centre = graphMap.world(xyz);
    // A flat Z range draws the whole graph at z = 0, whatever ln would make
    // of the value on a logarithmic axis.
    if (s.scaleMin[2] == s.scaleMax[2]) box.centre.z = 0.0;
    // pointSize / 2 + 2 pixels: one pixel is 1 / (2 * viewZoom) world units.
    double zoom = s.viewZoom > 0 ? s.viewZoom : 1;
    box.half = (s.pointSize * 0.0025 + 0.01) / (zoom * 0.01);
    const Vec3& c = box.centre;
    if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.z) || !std::isfinite(box.half)) return {};
    return box;
}

PickMarkerEdges pickMarkerEdges(const PickMarkerBox& box) {
    const Vec3& c = box.centre;
    const double h = box.half;
    // Corners counter-clockwise from the lower left, seen from +Z.
    const double corner[4][2] = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
    PickMarkerEdges e;
    for (int side = 0; side < 2; ++side) {
        double z = side == 0 ? c.z - h : c.z + h;
        for (int k = 0; k < 5; ++k) e.squares[side][k] = {c.x + corner[k % 4][0], c.y + corner[k % 4][1], z};
    }
    for (int k = 0; k < 4; ++k) {
        e.verticals[k][0] = {c.x + corner[k][0], c.y + corner[k][1], c.z - h};
        e.verticals[k][1] = {c.x + corner[k][0], c.y + corner[k][1], c.z + h};
    }
    return e;
}

}  // namespace kelvra
