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
#include "render/pickTargets.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "render/graphSteps.h"
#include "render/markPoints.h"
#include "render/scene.h"

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
bool pickName(const DrawInput& v, std::size_t p, GLuint* name) {
    std::size_t first = p * std::size_t(v.data.valuesPerPoint);
    if (first > UINT_MAX) return false;
    *name = GLuint(first);
    return true;
}

// A named point target; left out outside the scale box or without a finite position.
void pointTarget(const DrawInput& v, const AxisMapping& map, const PickVolume& volume, std::size_t p) {
    const PointRecord values = v.data.pointAt(p);
    GLuint name;
    if (!insideScaleBox(v.settings, values) || !pickName(v, p, &name)) return;
    Vec3 w = map.world(values);
    if (!marks::finite(w) || volume.outside(w) != 0) return;
    glLoadName(name);
    glBegin(GL_POINTS);
    glVertex3d(w.x, w.y, w.z);
    glEnd();
}

// Vector targets: a line from the point along its arrow, mirrored on reversed
// axes as the arrow is, so the target lies on what the user sees.
void vectorTargets(const DrawInput& v, const AxisMapping& map, const PickVolume& volume) {
    if (v.data.valuesPerPoint < 6) return;
    double longest = v.data.valueRange[RangeVector].max;
    if (!(longest > 0.0) || !std::isfinite(longest)) return;
    double factor = 0.15 / longest * v.settings.vectorSize * 0.01;
    if (!std::isfinite(factor)) return;
    double mirror[3];
    for (int a = 0; a < 3; ++a) mirror[a] = v.settings.scaleReverse[a] == 1 ? -1.0 : 1.0;
    glLineWidth(GLfloat(std::max(v.settings.wireWidthX * 1.5, 1.0)));
    marks::forEachPoint(v.data, [&](std::size_t p) {
        const PointRecord values = v.data.pointAt(p);
        GLuint name;
        if (!insideScaleBox(v.settings, values) || !pickName(v, p, &name)) return;
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

void sectionTargets(const DrawInput& v, const AxisMapping& map, const PickVolume& volume, int axis) {
    marks::SectionWalk walk = marks::sectionWalk(v, axis);
    for (std::size_t k = 0; k < walk.count; ++k) pointTarget(v, map, volume, walk.first + k * walk.stride);
}

}  // namespace

void drawPickTargets(const DrawInput& in, const PickVolume& volume) {
    glPushAttrib(GL_POINT_BIT | GL_LINE_BIT);
    glPointSize(GLfloat(std::max(in.settings.pointSize, 1)));
    if (in.settings.displayMode == DisplayXSection) {
        sectionTargets(in, in.ctx.map, volume, 0);
    } else if (in.settings.displayMode == DisplayYSection) {
        sectionTargets(in, in.ctx.map, volume, 1);
    } else if (in.settings.displayMode == Display3D || in.settings.displayMode == Display2D) {
        switch (in.data.dataKind) {
            case Grid:
            case Scattered:
            case PointValues:
                marks::forEachShownPoint(in, [&](std::size_t p) { pointTarget(in, in.ctx.map, volume, p); });
                break;
            case Vectors: vectorTargets(in, in.ctx.map, volume); break;
            case DataKindCount: break;   // no targets
        }
    }
    glPopAttrib();
}

PickHits selectPickTargets(const DrawInput& in, double x, double y, bool cull) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<GLuint> buffer(kSelectBufferWords);
    glSelectBuffer(GLsizei(buffer.size()), buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(kNoPointName);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(x, y, kPickBoxPixels, kPickBoxPixels, viewport);
    setProjection(viewport[2], viewport[3], in.settings.viewZoom);   // leaves the modelview current
    glLoadIdentity();
    turnLikeTheGraph(in.settings);
    drawPickTargets(in, cull ? PickVolume::current() : PickVolume{});
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    GLint hitCount = glRenderMode(GL_RENDER);
    glLoadIdentity();
    return readSelectHits(std::span<const std::uint32_t>(buffer.data(), buffer.size()), hitCount);
}

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

void drawPickMarker(const PickMarkerBox& box) {
    glPushAttrib(GL_CURRENT_BIT | GL_LINE_BIT | GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);   // the cyan as given, whatever the graph's shading left
    // Drawn over the graph: a surface through the point would hide half
    // the cube, and a point picked on the far side all of it.
    glDisable(GL_DEPTH_TEST);
    glColor3d(0.0, 0.8, 0.8);
    glLineWidth(1.5f);
    PickMarkerEdges edges = pickMarkerEdges(box);
    for (const auto& square : edges.squares) {
        glBegin(GL_LINE_STRIP);
        for (const Vec3& v : square) glVertex3d(v.x, v.y, v.z);
        glEnd();
    }
    glBegin(GL_LINES);
    for (const auto& edge : edges.verticals)
        for (const Vec3& v : edge) glVertex3d(v.x, v.y, v.z);
    glEnd();
    glPopAttrib();
}

}  // namespace kelvra
