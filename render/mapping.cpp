#include "render/mapping.h"

#include "settings/graphSettings.h"

namespace kelvra {
namespace {

// Linear: the range centred on the origin, m / 100 world units per span.
// Logarithmic: the same in ln space over ln max - ln min.
AxisMapping mapping(const GraphSettings& s, const double axisSpan[3], bool graph) {
    AxisMapping m;
    for (int a = 0; a < 3; ++a) {
        double lo = s.scaleMin[a], hi = s.scaleMax[a];
        double percent = s.scaleSizePercent[a];
        double sign = graph && s.scaleReverse[a] == 1 ? -0.01 : 0.01;
        m.logAxis[a] = s.scaleLog[a] == 1;
        if (m.logAxis[a]) {
            double d = std::log(hi) - std::log(lo);
            m.axisScale[a] = percent / d * sign;
            m.axisOffset[a] = -((d * 0.5 + std::log(lo)) * m.axisScale[a]);
        } else {
            m.axisScale[a] = percent / axisSpan[a] * sign;
            m.axisOffset[a] = -((lo + (hi - lo) * 0.5) * m.axisScale[a]);
        }
        // A zero span would give infinite factors; such an axis collapses to its centre.
        if (!std::isfinite(m.axisScale[a]) || !std::isfinite(m.axisOffset[a])) {
            m.axisScale[a] = 0.0;
            m.axisOffset[a] = 0.0;
        }
    }
    if (graph && s.scaleMax[2] == s.scaleMin[2]) {
        m.axisScale[2] = 0.0;
        m.axisOffset[2] = 0.0;
    }
    return m;
}

}  // namespace

AxisMapping graphMapping(const GraphSettings& s, const double axisSpan[3]) {
    return mapping(s, axisSpan, true);
}

AxisMapping scaleMapping(const GraphSettings& s, const double axisSpan[3]) {
    return mapping(s, axisSpan, false);
}

}  // namespace kelvra
