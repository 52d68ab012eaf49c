// Marks: the data drawn point by point. Points coloured by level, in grey or
// black; bars standing on the Z-minimum face of the scale box; vector arrows
// of a line shaft and a cone head. The display-list builder calls these inside
// list 100 with the build's mapping and levels.
//
// A point whose world position is not finite (ln of zero or a negative value
// on a logarithmic axis, NaN or infinite data) is never drawn.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "core/kelvraView.h"
#include "render/feedbackState.h"
#include "render/markPoints.h"

namespace kelvra {
namespace {

void setColor(const Rgb& c) { glColor3d(c.r, c.g, c.b); }

// Colour-table entry of a mark: the point level (upper level on a boundary,
// entry 0 a full level below the base), kept within the table in use.
int markLevel(const CKelvraView& v, const LevelTable& t, const double* p, int levelCount) {
    int k = pointLevel(t, marks::levelSpace(t, marks::rawColorValue(v, p)));
    return std::clamp(k, 0, std::max(levelCount, 0));
}

}  // namespace

void CKelvraView::drawColorPoints(const BuildContext& ctx, const Rgb* colors, int levelCount) const {
    glPushAttrib(GL_POINT_BIT | GL_CURRENT_BIT);
    setPointSize(pointSize);
    glBegin(GL_POINTS);
    marks::forEachShownPoint(*this, [&](std::size_t n) {
        const double* p = point(n);
        if (!insideScaleBox(p)) return;
        Vec3 w = ctx.map.world(p);
        if (!marks::finite(w)) return;
        setColor(colors[markLevel(*this, ctx.levels, p, levelCount)]);
        glVertex3d(w.x, w.y, w.z);
    });
    glEnd();
    glPopAttrib();
}

void CKelvraView::drawGreyPoints(const BuildContext& ctx) const {
    Rgb grey[kMaxLevelCount + 1];
    int n = buildLevelColors(kGreyLevelSource, legendStyle, legendReverse, scaleStep[3], grey);
    drawColorPoints(ctx, grey, n);
}

void CKelvraView::drawBlackPoints(const BuildContext& ctx) const {
    glPushAttrib(GL_POINT_BIT | GL_CURRENT_BIT);
    setPointSize(pointSize);
    glBegin(GL_POINTS);
    glColor3d(0.0, 0.0, 0.0);
    marks::forEachShownPoint(*this, [&](std::size_t n) {
        const double* p = point(n);
        if (!insideScaleBox(p)) return;
        Vec3 w = ctx.map.world(p);
        if (marks::finite(w)) glVertex3d(w.x, w.y, w.z);
    });
    glEnd();
    glPopAttrib();
}

namespace {

// Half the bar footprint along axis a, in world units. On a linear axis the
// bar is barSize data units wide. On a logarithmic axis a width in data units
// has no fixed size (and ln of a size below 1 is negative), so the bar takes
// the share of the axis length it would take on a linear axis over the same
// scale range: every bar is equally wide, as evenly spaced columns of a
// logarithmic grid need. A footprint that cannot be computed is 0.
double halfFootprint(const CKelvraView& v, const AxisMapping& map, int a, double size) {
    double half;
    if (!map.logAxis[a]) {
        half = std::fabs(size * map.axisScale[a] * 0.5);
    } else {
        double range = v.scaleMax[a] - v.scaleMin[a];
        double axisLength = std::fabs(map.axisScale[a]) * (std::log(v.scaleMax[a]) - std::log(v.scaleMin[a]));
        half = range > 0.0 ? std::fabs(0.5 * size / range * axisLength) : 0.0;
    }
    return std::isfinite(half) ? half : 0.0;
}

void strip4(double ax, double ay, double az, double bx, double by, double bz, double cx, double cy,
            double cz, double dx, double dy, double dz) {
    glBegin(GL_TRIANGLE_STRIP);
    glVertex3d(ax, ay, az);
    glVertex3d(bx, by, bz);
    glVertex3d(cx, cy, cz);
    glVertex3d(dx, dy, dz);
    glEnd();
}

void rectangle(double x0, double y0, double x1, double y1, double z) {
    glBegin(GL_LINE_STRIP);
    glVertex3d(x0, y0, z);
    glVertex3d(x1, y0, z);
    glVertex3d(x1, y1, z);
    glVertex3d(x0, y1, z);
    glVertex3d(x0, y0, z);
    glEnd();
}

void verticalEdge(double x, double y, double z0, double z1) {
    glBegin(GL_LINE_STRIP);
    glVertex3d(x, y, z0);
    glVertex3d(x, y, z1);
    glEnd();
}

}  // namespace

// One box per point from the Z-minimum face of the scale box (the floor, or
// the top face on a reversed Z) up to the point, faces pushed back by polygon
// offset so the black edges win the depth test. Points below the Z minimum
// are left out; the caller clips to the scale box.
void CKelvraView::drawBars(const BuildContext& ctx) const {
    const AxisMapping& map = ctx.map;
    double hx = halfFootprint(*this, map, 0, barSizeX);
    double hy = halfFootprint(*this, map, 1, barSizeY);
    double zb = map.world(2, scaleMin[2]);
    if (!std::isfinite(zb)) return;

    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    setLineWidth(1.0);
    beginOffsetFill();
    const int n = ctx.levels.levelCount;
    marks::forEachPoint(*this, [&](std::size_t number) {
        const double* p = point(number);
        if (!(p[2] >= scaleMin[2])) return;   // below the minimum, or NaN
        Vec3 w = map.world(p);
        if (!marks::finite(w)) return;
        double x0 = w.x - hx, x1 = w.x + hx, y0 = w.y - hy, y1 = w.y + hy, zt = w.z;

        setColor(ctx.levels.colors[markLevel(*this, ctx.levels, p, n)]);
        strip4(x0, y0, zb, x1, y0, zb, x0, y1, zb, x1, y1, zb);   // bottom
        strip4(x0, y0, zb, x1, y0, zb, x0, y0, zt, x1, y0, zt);   // side y0
        strip4(x0, y0, zb, x0, y1, zb, x0, y0, zt, x0, y1, zt);   // side x0
        strip4(x0, y1, zb, x1, y1, zb, x0, y1, zt, x1, y1, zt);   // side y1
        strip4(x1, y0, zb, x1, y1, zb, x1, y0, zt, x1, y1, zt);   // side x1
        strip4(x0, y0, zt, x1, y0, zt, x0, y1, zt, x1, y1, zt);   // top

        glColor3d(0.0, 0.0, 0.0);
        rectangle(x0, y0, x1, y1, zb);
        verticalEdge(x0, y0, zb, zt);
        verticalEdge(x1, y0, zb, zt);
        verticalEdge(x0, y1, zb, zt);
        verticalEdge(x1, y1, zb, zt);
        rectangle(x0, y0, x1, y1, zt);
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
void CKelvraView::drawVectors(const BuildContext& ctx) const {
    if (valuesPerPoint < 6) return;
    double longest = valueRange[RangeVector].max;
    if (!(longest > 0.0) || !std::isfinite(longest)) return;
    double factor = kLongestArrow / longest * vectorSize * 0.01;
    if (!std::isfinite(factor)) return;
    double mirror[3];
    for (int a = 0; a < 3; ++a) mirror[a] = scaleReverse[a] == 1 ? -1.0 : 1.0;

    glPushAttrib(GL_LINE_BIT | GL_CURRENT_BIT);
    setLineWidth(wireWidthX * 1.5);
    GLUquadric* cone = gluNewQuadric();   // one for every head of this build
    const int n = ctx.levels.levelCount;
    marks::forEachPoint(*this, [&](std::size_t number) {
        const double* p = point(number);
        if (!insideScaleBox(p)) return;
        Vec3 w = ctx.map.world(p);
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

        setColor(ctx.levels.colors[markLevel(*this, ctx.levels, p, n)]);
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
