// Marks: the data drawn point by point. Points coloured by level, in grey or
// black; bars standing on the Z-minimum face of the scale box; vector arrows
// of a line shaft and a cone head. The display-list builder calls these inside
// list 100 with the build's mapping and levels.
//
// A point whose world position is not finite (ln of zero or a negative value
// on a logarithmic axis, NaN or infinite data) is never drawn.
#include "render/marks.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

#include "render/feedbackState.h"
#include "render/graphSteps.h"
#include "render/markPoints.h"
#include "render/vertexArrays.h"

namespace kelvra {
namespace {

void setColor(const Rgb& c) { glColor3d(c.r, c.g, c.b); }

// Colour-table entry of a mark: the point level (upper level on a boundary,
// entry 0 a full level below the base), kept within the table in use.
int markLevel(const DrawInput& v, const LevelTable& t, const double* p, int levelCount) {
    int k = pointLevel(t, marks::levelSpace(t, marks::rawColorValue(v, p)));
    return std::clamp(k, 0, std::max(levelCount, 0));
}

}  // namespace

namespace {

// Points per batch of the mark routines.
constexpr std::size_t kPointsPerBatch = 16384;

// The points of forEachShownPoint in batches made on every core and drawn in
// order: point(n, out) adds point number n to the batch's GL_POINTS run.
template <class Point>
void drawShownPoints(const DrawInput& in, bool colored, Point point) {
    const std::size_t count = marks::shownPointCount(in);
    const std::size_t batches = (count + kPointsPerBatch - 1) / kPointsPerBatch;
    drawBatchesInOrder(batches, [&](std::size_t b, VertexBatch& out) {
        out.colored = colored;
        out.begin(GL_POINTS);
        const std::size_t end = std::min(count, (b + 1) * kPointsPerBatch);
        for (std::size_t i = b * kPointsPerBatch; i < end; ++i) point(marks::shownPoint(in, i), out);
    });
}

}  // namespace

void drawColorPoints(const DrawInput& in, const Rgb* colors, int levelCount) {
    glPushAttrib(GL_POINT_BIT | GL_CURRENT_BIT);
    setPointSize(in.settings.pointSize);
    drawShownPoints(in, true, [&](std::size_t n, VertexBatch& out) {
        const PointRecord p = in.data.pointAt(n);
        if (!insideScaleBox(in.settings, p)) return;
        Vec3 w = in.ctx.map.world(p);
        if (!marks::finite(w)) return;
        out.vertex(w.x, w.y, w.z, colors[markLevel(in, in.ctx.levels, p, levelCount)]);
        out.counted();
    });
    glPopAttrib();
}

void drawGreyPoints(const DrawInput& in) {
    drawColorPoints(in, in.ctx.greys, in.ctx.greyCount);
}

void drawBlackPoints(const DrawInput& in) {
    glPushAttrib(GL_POINT_BIT | GL_CURRENT_BIT);
    setPointSize(in.settings.pointSize);
    glColor3d(0.0, 0.0, 0.0);
    drawShownPoints(in, false, [&](std::size_t n, VertexBatch& out) {
        const PointRecord p = in.data.pointAt(n);
        if (!insideScaleBox(in.settings, p)) return;
        Vec3 w = in.ctx.map.world(p);
        if (!marks::finite(w)) return;
        out.vertex(w.x, w.y, w.z);
        out.counted();
    });
    glPopAttrib();
}

namespace {

// Half the bar footprint along axis a, in world units. On a linear axis the
// bar is barSize data units wide. On a logarithmic axis a width in data units
// has no fixed size (and ln of a size below 1 is negative), so the bar takes
// the share of the axis length it would take on a linear axis over the same
// scale range: every bar is equally wide, as evenly spaced columns of a
// logarithmic grid need. A footprint that cannot be computed is 0.
double halfFootprint(const DrawInput& v, const AxisMapping& map, int a, double size) {
    double half;
    if (!map.logAxis[a]) {
        half = std::fabs(size * map.axisScale[a] * 0.5);
    } else {
        double range = v.settings.scaleMax[a] - v.settings.scaleMin[a];
        double axisLength = std::fabs(map.axisScale[a]) * (std::log(v.settings.scaleMax[a]) - std::log(v.settings.scaleMin[a]));
        half = range > 0.0 ? std::fabs(0.5 * size / range * axisLength) : 0.0;
    }
    return std::isfinite(half) ? half : 0.0;
}

constexpr std::size_t kBarsPerBatch = 1024;

// A face as the two triangles a four-vertex strip (a, b, c, d) makes, in the
// batch's GL_TRIANGLES run: the same pixels as the strip.
void face(VertexBatch& out, const Rgb& color, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d) {
    for (const Vec3* v : {&a, &b, &c, &c, &b, &d}) out.vertex(v->x, v->y, v->z, color);
    out.runs.back().count += 6;
}

// A segment in the batch's GL_LINES run (uncoloured: the edges are black).
void segment(VertexBatch& out, const Vec3& a, const Vec3& b) {
    out.vertex(a.x, a.y, a.z);
    out.vertex(b.x, b.y, b.z);
    out.runs.back().count += 2;
}

// The corners of a bar: bottom (z0) and top (z1) rectangles.
struct BarBox {
    Vec3 b00, b10, b01, b11, t00, t10, t01, t11;
};

BarBox barBox(double x0, double y0, double x1, double y1, double z0, double z1) {
    return {{x0, y0, z0}, {x1, y0, z0}, {x0, y1, z0}, {x1, y1, z0},
            {x0, y0, z1}, {x1, y0, z1}, {x0, y1, z1}, {x1, y1, z1}};
}

}  // namespace

// One box per point from the Z-minimum face of the scale box (the floor, or
// the top face on a reversed Z) up to the point, faces pushed back by polygon
// offset so the black edges win the depth test. Points below the Z minimum
// are left out; the caller clips to the scale box.
//
// A million bars are twelve million primitives: drawn one glBegin per face
// and per edge, the calls alone took seconds. All faces go in triangle
// batches and all edges in line batches, made on every core; faces keep
// their order among themselves, and the offset decides between faces and
// edges whatever the order, so the picture is the same.
void drawBars(const DrawInput& in) {
    const AxisMapping& map = in.ctx.map;
    double hx = halfFootprint(in, map, 0, in.settings.barSizeX);
    double hy = halfFootprint(in, map, 1, in.settings.barSizeY);
    double zb = map.world(2, in.settings.scaleMin[2]);
    if (!std::isfinite(zb)) return;

    // The box of point `number`, or nothing for a point drawn without a bar.
    auto boxOf = [&](std::size_t number, BarBox* box) {
        const PointRecord p = in.data.pointAt(number);
        if (!(p[2] >= in.settings.scaleMin[2])) return false;   // below the minimum, or NaN
        Vec3 w = map.world(p);
        if (!marks::finite(w)) return false;
        *box = barBox(w.x - hx, w.y - hy, w.x + hx, w.y + hy, zb, w.z);
        return true;
    };

    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    setLineWidth(1.0);
    beginOffsetFill();
    const int n = in.ctx.levels.levelCount;
    const std::size_t count = marks::pointCount(in.data);
    const std::size_t batches = (count + kBarsPerBatch - 1) / kBarsPerBatch;
    // Batches of kBarsPerBatch bars: a batch of every bar would make the
    // driver hold the whole graph's vertices at once.
    drawBatchesInOrder(batches, [&](std::size_t batch, VertexBatch& out) {
        out.begin(GL_TRIANGLES);
        BarBox b;
        for (std::size_t number = batch * kBarsPerBatch; number < std::min(count, (batch + 1) * kBarsPerBatch); ++number) {
            if (!boxOf(number, &b)) continue;
            const Rgb& color = in.ctx.levels.colors[markLevel(in, in.ctx.levels, in.data.pointAt(number).values(), n)];
            face(out, color, b.b00, b.b10, b.b01, b.b11);   // bottom
            face(out, color, b.b00, b.b10, b.t00, b.t10);   // side y0
            face(out, color, b.b00, b.b01, b.t00, b.t01);   // side x0
            face(out, color, b.b01, b.b11, b.t01, b.t11);   // side y1
            face(out, color, b.b10, b.b11, b.t10, b.t11);   // side x1
            face(out, color, b.t00, b.t10, b.t01, b.t11);   // top
        }
    });

    glColor3d(0.0, 0.0, 0.0);
    drawBatchesInOrder(batches, [&](std::size_t batch, VertexBatch& out) {
        out.colored = false;
        out.begin(GL_LINES);
        BarBox b;
        for (std::size_t number = batch * kBarsPerBatch; number < std::min(count, (batch + 1) * kBarsPerBatch); ++number) {
            if (!boxOf(number, &b)) continue;
            for (const auto& [lo, hi] : {std::pair{&b.b00, &b.t00}, {&b.b10, &b.t10}, {&b.b01, &b.t01}, {&b.b11, &b.t11}})
                segment(out, *lo, *hi);   // vertical edges
            for (const auto& [r00, r10, r01, r11] : {std::tuple{&b.b00, &b.b10, &b.b01, &b.b11},
                                                     std::tuple{&b.t00, &b.t10, &b.t01, &b.t11}}) {
                segment(out, *r00, *r10);   // the bottom and the top rectangle
                segment(out, *r10, *r11);
                segment(out, *r11, *r01);
                segment(out, *r01, *r00);
            }
        }
    });
    endOffsetFill();
    glPopAttrib();
}

namespace {

constexpr double kLongestArrow = 0.15;   // world units at vectorSize 100
constexpr double kHeadLength = 0.048;
constexpr double kHeadRadius = 0.015;

// Turns the local +Z axis onto the unit vector u.
void rotateZOnto(const Vec3& u) {
    double ax = -u.y, ay = u.x;   // +Z x u
    if (std::hypot(ax, ay) < 1e-12) {
        if (u.z < 0.0) glRotated(180.0, 1.0, 0.0, 0.0);
        return;
    }
    double angle = std::acos(std::clamp(u.z, -1.0, 1.0)) * 180.0 / M_PI;
    glRotated(angle, ax, ay, 0.0);
}

}  // namespace

// One arrow per vector point inside the scale box: a line shaft and a cone
// head whose tip is the arrow's end. The longest vector of the data set is
// 0.15 world units at vectorSize 100 (the same length on every axis), and the
// arrow is mirrored on reversed axes with the graph. Zero vectors draw
// nothing; so does everything when the longest length is 0 or not finite.
void drawVectors(const DrawInput& in) {
    if (in.data.valuesPerPoint < 6) return;
    double longest = in.data.valueRange[RangeVector].max;
    if (!(longest > 0.0) || !std::isfinite(longest)) return;
    double factor = kLongestArrow / longest * in.settings.vectorSize * 0.01;
    if (!std::isfinite(factor)) return;
    double mirror[3];
    for (int a = 0; a < 3; ++a) mirror[a] = in.settings.scaleReverse[a] == 1 ? -1.0 : 1.0;

    glPushAttrib(GL_LINE_BIT | GL_CURRENT_BIT);
    setLineWidth(in.settings.wireWidthX * 1.5);
    GLUquadric* cone = gluNewQuadric();   // one for every head of this build
    const int n = in.ctx.levels.levelCount;
    marks::forEachPoint(in.data, [&](std::size_t number) {
        const PointRecord p = in.data.pointAt(number);
        if (!insideScaleBox(in.settings, p)) return;
        Vec3 w = in.ctx.map.world(p);
        if (!marks::finite(w)) return;
        Vec3 vec{p[3] * mirror[0], p[4] * mirror[1], p[5] * mirror[2]};
        double length = std::hypot(vec.x, vec.y, vec.z);
        if (!(length > 0.0) || !std::isfinite(length)) return;
        Vec3 u{vec.x / length, vec.y / length, vec.z / length};
        Vec3 e{vec.x * factor, vec.y * factor, vec.z * factor};
        double arrow = std::hypot(e.x, e.y, e.z);
        if (!std::isfinite(arrow)) return;
        double shaft = std::max(arrow - kHeadLength, 0.0);
        double k = arrow > 0.0 ? shaft / arrow : 0.0;
        Vec3 s{e.x * k, e.y * k, e.z * k};

        setColor(in.ctx.levels.colors[markLevel(in, in.ctx.levels, p, n)]);
        glPushMatrix();
        glTranslated(w.x, w.y, w.z);
        if (shaft > 0.0) {   // an arrow no longer than its head is the head alone
            glBegin(GL_LINE_STRIP);
            glVertex3d(0.0, 0.0, 0.0);
            glVertex3d(s.x, s.y, s.z);
            glEnd();
        }
        if (cone) {
            glTranslated(s.x, s.y, s.z);
            rotateZOnto(u);
            gluCylinder(cone, kHeadRadius, 0.0, kHeadLength, 15, 10);
        }
        glPopMatrix();
    });
    if (cone) gluDeleteQuadric(cone);
    glPopAttrib();
}

}  // namespace kelvra
