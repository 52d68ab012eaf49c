// Where the scene shows a data point: the camera worked out by hand from its
// definition (graph offset * 0.005, turn by viewAngleX about X after
// viewAngleZ about Z, 2 * viewZoom pixels per world unit, the window centred
// on the origin), so a test can click where the user sees a point.
#pragma once

#include <cmath>

#include "view/kelvraView.h"

namespace kelvra::test {

struct ClientPoint {
    double x = 0, y = 0;   // client pixels, origin top-left, rows downwards
    int px() const { return int(std::lround(x)); }
    int py() const { return int(std::lround(y)); }
};

inline ClientPoint clientPointOf(const CKelvraView& v, PixelSize client, const double* xyz) {
    const double degree = std::acos(-1.0) / 180.0;
    Vec3 w = graphMapping(v.settings, v.state.axisSpan).world(xyz);
    if (v.settings.scaleMin[2] == v.settings.scaleMax[2]) w.z = 0;
    double az = v.settings.viewAngleZ * degree, ax = v.settings.viewAngleX * degree;
    double x1 = w.x * std::cos(az) - w.y * std::sin(az);
    double y1 = w.x * std::sin(az) + w.y * std::cos(az);
    double y2 = y1 * std::cos(ax) - w.z * std::sin(ax);
    double eyeX = x1 + v.settings.viewPosX * 0.005, eyeY = y2 + v.settings.viewPosY * 0.005;
    return {client.width / 2.0 + eyeX * 2.0 * v.settings.viewZoom, client.height / 2.0 - eyeY * 2.0 * v.settings.viewZoom};
}

}  // namespace kelvra::test
