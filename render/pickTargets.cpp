// The pick targets: every pickable data point drawn once more as a named
// primitive for selection mode. A target's name is the index of the
// point's first value in pointValues (point number * valuesPerPoint), which is
// what the pick reads back. Only points inside the scale box are targets, so a
// point the graph does not show cannot be picked; no text is drawn here, so
// labels never produce hits.
//
// They are drawn straight at each pick rather than kept in a list: a list of
// a million one-point primitives took seconds to compile and hundreds of MB,
// and a pick box sees only a few of them. A target that the selection could
// not hit (outside the pick volume in clip space) is left out before it
// reaches GL; the ones that could are drawn, in the same order, and GL's
// selection decides as before.
#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "view/kelvraView.h"
#include "render/markPoints.h"

namespace kelvra {

PickVolume PickVolume::current() {
    double projection[16], modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    PickVolume v;
    v.all = false;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += projection[k * 4 + row] * modelview[column * 4 + k];
            v.toClip[column * 4 + row] = sum;
        }
    return v;
}

// Which of the six clip planes a point is clearly outside of, one bit each.
// The tolerance keeps points on a plane (within rounding of GL's own
// transform) in, so that only what GL would clip too is left out.
unsigned PickVolume::outside(const Vec3& p) const {
    if (all) return 0;
    const double* m = toClip;
    double c[4];
    for (int row = 0; row < 4; ++row) c[row] = m[row] * p.x + m[4 + row] * p.y + m[8 + row] * p.z + m[12 + row];
    unsigned code = 0;
    for (int a = 0; a < 3; ++a) {
        const double tolerance = 1e-6 * (std::fabs(c[3]) + std::fabs(c[a])) + 1e-12;
        if (c[a] < -c[3] - tolerance) code |= 1u << (2 * a);
        if (c[a] > c[3] + tolerance) code |= 1u << (2 * a + 1);
    }
    return code;
}

namespace {

// Name of point p, or false when the value index does not fit a GL name.
bool pickName(const CKelvraView& v, std::size_t p, GLuint* name) {
    std::size_t first = p * std::size_t(v.data.valuesPerPoint);
    if (first > UINT_MAX) return false;
    *name = GLuint(first);
    return true;
}

// A named point target; left out outside the scale box or without a finite position.
void pointTarget(const CKelvraView& v, const AxisMapping& map, const PickVolume& volume, std::size_t p) {
    const double* values = v.data.point(p);
    GLuint name;
    if (!v.insideScaleBox(values) || !pickName(v, p, &name)) return;
    Vec3 w = map.world(values);
    if (!marks::finite(w) || volume.outside(w) != 0) return;
    glLoadName(name);
    glBegin(GL_POINTS);
    glVertex3d(w.x, w.y, w.z);
    glEnd();
}

// Vector targets: a line from the point along its arrow, mirrored on reversed
// axes as the arrow is, so the target lies on what the user sees.
void vectorTargets(const CKelvraView& v, const AxisMapping& map, const PickVolume& volume) {
    if (v.data.valuesPerPoint < 6) return;
    double longest = v.data.valueRange[RangeVector].max;
    if (!(longest > 0.0) || !std::isfinite(longest)) return;
    double factor = 0.15 / longest * v.settings.vectorSize * 0.01;
    if (!std::isfinite(factor)) return;
    double mirror[3];
    for (int a = 0; a < 3; ++a) mirror[a] = v.settings.scaleReverse[a] == 1 ? -1.0 : 1.0;
    glLineWidth(GLfloat(std::max(v.settings.wireWidthX * 1.5, 1.0)));
    marks::forEachPoint(v, [&](std::size_t p) {
        const double* values = v.data.point(p);
        GLuint name;
        if (!v.insideScaleBox(values) || !pickName(v, p, &name)) return;
        Vec3 w = map.world(values);
        if (!marks::finite(w)) return;
        Vec3 e{values[3] * mirror[0] * factor, values[4] * mirror[1] * factor, values[5] * mirror[2] * factor};
        double length = std::hypot(e.x, e.y, e.z);
        if (!(length > 0.0) || !std::isfinite(length)) return;
        // Both ends beyond one plane: no part of the line is in the volume.
        if ((volume.outside(w) & volume.outside({w.x + e.x, w.y + e.y, w.z + e.z})) != 0) return;
        glLoadName(name);
        glBegin(GL_LINE_STRIP);
        glVertex3d(w.x, w.y, w.z);
        glVertex3d(w.x + e.x, w.y + e.y, w.z + e.z);
        glEnd();
    });
}

void sectionTargets(const CKelvraView& v, const AxisMapping& map, const PickVolume& volume, int axis) {
    marks::SectionWalk walk = marks::sectionWalk(v, axis);
    for (std::size_t k = 0; k < walk.count; ++k) pointTarget(v, map, volume, walk.first + k * walk.stride);
}

}  // namespace

void CKelvraView::drawPickTargets(const BuildContext& ctx, const PickVolume& volume) {
    glPushAttrib(GL_POINT_BIT | GL_LINE_BIT);
    glPointSize(GLfloat(std::max(settings.pointSize, 1)));
    if (settings.displayMode == DisplayXSection) {
        updateSectionX();
        sectionTargets(*this, ctx.map, volume, 0);
    } else if (settings.displayMode == DisplayYSection) {
        updateSectionY();
        sectionTargets(*this, ctx.map, volume, 1);
    } else if (settings.displayMode == Display3D || settings.displayMode == Display2D) {
        switch (data.dataKind) {
            case Grid:
            case Scattered:
            case PointValues:
                marks::forEachShownPoint(*this, [&](std::size_t p) { pointTarget(*this, ctx.map, volume, p); });
                break;
            case Vectors: vectorTargets(*this, ctx.map, volume); break;
            case DataKindCount: break;   // no targets
        }
    }
    glPopAttrib();
}

}  // namespace kelvra
