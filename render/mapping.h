// The axis mapping: where a data value lands in world space.
//
// world = value * axisScale + axisOffset, with ln(value) on a logarithmic axis.
// Each scale range is centred on the origin and is scaleSizePercent / 100 world
// units long when its span equals max - min. The graph uses the negated scale
// on a reversed axis (mirroring about the box centre); the scale frame uses the
// plain mapping and numbers its ticks from the top instead.
#pragma once

#include <cmath>

namespace kelvra {

struct GraphSettings;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

struct AxisMapping {
    double axisScale[3] = {1, 1, 1};
    double axisOffset[3] = {0, 0, 0};
    bool logAxis[3] = {false, false, false};

    double world(int axis, double value) const {
        double v = logAxis[axis] ? std::log(value) : value;
        return v * axisScale[axis] + axisOffset[axis];
    }
    // World position of a point whose first three values are X, Y, Z.
    Vec3 world(const double* xyz) const {
        return {world(0, xyz[0]), world(1, xyz[1]), world(2, xyz[2])};
    }
};

// Mapping of the graph: reversed axes negated; a flat Z range (scaleMin[2] ==
// scaleMax[2]) puts everything at z = 0.
AxisMapping graphMapping(const GraphSettings& s, const double axisSpan[3]);
// Plain mapping of the scale frame: no reversal, no flat-Z rule.
AxisMapping scaleMapping(const GraphSettings& s, const double axisSpan[3]);

}  // namespace kelvra
