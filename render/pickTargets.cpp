// The pick targets (list 500): every pickable data point drawn once more as a
// named primitive for selection mode. A target's name is the index of the
// point's first value in pointValues (point number * valuesPerPoint), which is
// what the pick reads back. Only points inside the scale box are targets, so a
// point the graph does not show cannot be picked; no text is drawn here, so
// labels never produce hits.
#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/kelvraView.h"
#include "render/markPoints.h"

namespace kelvra {
namespace {

// Name of point p, or false when the value index does not fit a GL name.
bool pickName(const CKelvraView& v, std::size_t p, GLuint* name) {
    std::size_t first = p * std::size_t(v.valuesPerPoint);
    if (first > UINT_MAX) return false;
    *name = GLuint(first);
    return true;
}

// A named point target; left out outside the scale box or without a finite position.
void pointTarget(const CKelvraView& v, const AxisMapping& map, std::size_t p) {
    const double* values = v.point(p);
    GLuint name;
    if (!v.insideScaleBox(values) || !pickName(v, p, &name)) return;
    Vec3 w = map.world(values);
    if (!marks::finite(w)) return;
    glLoadName(name);
    glBegin(GL_POINTS);
    glVertex3d(w.x, w.y, w.z);
    glEnd();
}

// Vector targets: a line from the point along its arrow, mirrored on reversed
// axes as the arrow is, so the target lies on what the user sees.
void vectorTargets(const CKelvraView& v, const AxisMapping& map) {
    if (v.valuesPerPoint < 6) return;
    double longest = v.valueRange[RangeVector].max;
    if (!(longest > 0.0) || !std::isfinite(longest)) return;
    double factor = 0.15 / longest * v.vectorSize * 0.01;
    if (!std::isfinite(factor)) return;
    double mirror[3];
    for (int a = 0; a < 3; ++a) mirror[a] = v.scaleReverse[a] == 1 ? -1.0 : 1.0;
    glLineWidth(GLfloat(std::max(v.wireWidthX * 1.5, 1.0)));
    marks::forEachPoint(v, [&](std::size_t p) {
        const double* values = v.point(p);
        GLuint name;
        if (!v.insideScaleBox(values) || !pickName(v, p, &name)) return;
        Vec3 w = map.world(values);
        if (!marks::finite(w)) return;
        Vec3 e{values[3] * mirror[0] * factor, values[4] * mirror[1] * factor, values[5] * mirror[2] * factor};
        double length = std::hypot(e.x, e.y, e.z);
        if (!(length > 0.0) || !std::isfinite(length)) return;
        glLoadName(name);
        glBegin(GL_LINE_STRIP);
        glVertex3d(w.x, w.y, w.z);
        glVertex3d(w.x + e.x, w.y + e.y, w.z + e.z);
        glEnd();
    });
}

void sectionTargets(const CKelvraView& v, const AxisMapping& map, int axis) {
    marks::SectionWalk walk = marks::sectionWalk(v, axis);
    for (std::size_t k = 0; k < walk.count; ++k) pointTarget(v, map, walk.first + k * walk.stride);
}

}  // namespace

void CKelvraView::drawPickTargets(const BuildContext& ctx) {
    glPushAttrib(GL_POINT_BIT | GL_LINE_BIT);
    glPointSize(GLfloat(std::max(pointSize, 1)));
    if (displayMode == DisplayXSection) {
        updateSectionX();
        sectionTargets(*this, ctx.map, 0);
    } else if (displayMode == DisplayYSection) {
        updateSectionY();
        sectionTargets(*this, ctx.map, 1);
    } else if (displayMode == Display3D || displayMode == Display2D) {
        switch (dataKind) {
            case Grid:
            case Scattered:
                marks::forEachShownPoint(*this, [&](std::size_t p) { pointTarget(*this, ctx.map, p); });
                break;
            case Vectors: vectorTargets(*this, ctx.map); break;
            case PointValues:
            case DataKindCount: break;   // no targets
        }
    }
    glPopAttrib();
}

}  // namespace kelvra
