// Grid data as a surface: plain and level-coloured wireframes, the white fill
// that hides wires behind the surface, and the lit shape of flat triangles. The
// display-list builder calls these inside list 100, between the scale-box clip
// planes and, for fills under lines, with polygon offset on.
//
// Points that are not finite (a logarithmic axis at or below zero, infinite
// data) are drawn nowhere: a wire is broken there, and a cell or segment with
// such a corner is left out.
#include "render/surfaces.h"

#include <GL/gl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "render/graphSteps.h"
#include "render/feedbackState.h"
#include "render/gridPoints.h"

namespace kelvra {
namespace {

// One wire in `rgb`: a GL_LINE_STRIP through `count` points, broken where a
// point is not finite.
template <class PointAt>
void drawWire(int count, const Rgb& rgb, CurrentColor& color, PointAt pointAt) {
    bool open = false;
    for (int i = 0; i < count; ++i) {
        Corner p = pointAt(i);
        if (!p.finite) {
            if (open) glEnd();
            open = false;
            continue;
        }
        if (!open) {
            glBegin(GL_LINE_STRIP);
            color.set(rgb);
        }
        open = true;
        glVertex3d(p.x, p.y, p.z);
    }
    if (open) glEnd();
}

// The wire rule for levels: (value - levelBase) / levelStep truncated toward
// zero, one lower than levelOf inside a level and not clamped to 1..n. Values
// further outside are held at -2 or n + 2, which draws the same (see
// drawColorSegment) and keeps the conversion to int defined.
int wireLevel(const LevelTable& t, double value) {
    double q = (value - t.levelBase) / t.levelStep;
    if (std::isnan(q)) q = 0.0;   // a zero legend span: everything at its base
    q = std::clamp(q, -2.0, t.levelCount + 2.0);
    return int(q);
}

// One wire segment from P to Q split at the level tops between its ends, each
// piece in the colour of the level it lies in. The ends are ordered so that A
// has the smaller colour value (B is P on a tie); the pieces run for levels k
// from A's wire level to B's plus one, each ending where the value reaches the
// top of level k (at A before the segment starts, at B after it ends).
//
// Pieces below level 1 and above level n carry the colours of levels 1 and n,
// so they are drawn as one piece each: the first piece runs from A to the top
// of level max(lo, 1), and when B lies above level n the last piece (level n)
// runs on to B. A segment far outside the legend range is then a few pieces,
// not one per level step. Pieces of zero length are left out.
void drawColorSegment(const Corner& p, const Corner& q, const LevelTable& t, CurrentColor& color) {
    const bool pIsLower = p.value < q.value;
    const Corner& a = pIsLower ? p : q;
    const Corner& b = pIsLower ? q : p;
    const int n = t.levelCount;
    const int lo = a.level, hi = b.level;
    const int kFirst = std::clamp(lo, 1, n);
    const int kLast = std::clamp(hi + 1, 1, n);
    const bool lastReachesB = hi + 1 > n;
    double cx = a.x, cy = a.y, cz = a.z;
    for (int k = kFirst; k <= kLast; ++k) {
        double tx, ty, tz;
        double f = levelCrossing(t, a.value, b.value, k);
        if ((k == kLast && lastReachesB) || f > 1.0) {
            tx = b.x, ty = b.y, tz = b.z;
        } else if (f < 0.0) {
            tx = a.x, ty = a.y, tz = a.z;
        } else {
            tx = a.x + (b.x - a.x) * f, ty = a.y + (b.y - a.y) * f, tz = a.z + (b.z - a.z) * f;
        }
        // A piece of zero length (before A or after B) rasterises nothing.
        if (tx == cx && ty == cy && tz == cz) continue;
        glBegin(GL_LINE_STRIP);
        color.set(t.colors[k]);
        glVertex3d(cx, cy, cz);
        glVertex3d(tx, ty, tz);
        glEnd();
        cx = tx, cy = ty, cz = tz;
    }
}

// A segment end for drawColorSegment: world position, colour value, wire level.
Corner wireEnd(const GridPoints& grid, const LevelTable& t, int r, int c) {
    Corner e = grid.corner(r, c);
    e.level = wireLevel(t, e.value);
    return e;
}

}  // namespace

void drawWireframe(const DrawInput& in) {
    GridPoints grid(in);
    if (!grid.ready()) return;
    const int rows = grid.rows(), columns = grid.columns();
    CurrentColor color;
    // X-lines: one per chosen column, through its rows.
    setLineWidth(in.settings.wireWidthX);
    if (in.settings.wireIntervalX >= 1)
        for (long long c = 0; c < columns; c += in.settings.wireIntervalX)
            drawWire(rows, in.settings.wireColorX, color, [&](int r) { return grid.position(r, int(c)); });
    // Y-lines: one per chosen row, through its columns.
    setLineWidth(in.settings.wireWidthY);
    if (in.settings.wireIntervalY >= 1)
        for (long long r = 0; r < rows; r += in.settings.wireIntervalY)
            drawWire(columns, in.settings.wireColorY, color, [&](int c) { return grid.position(int(r), c); });
}

void drawColorWireframe(const DrawInput& in) {
    GridPoints grid(in);
    const LevelTable& t = in.ctx.levels;
    if (!grid.ready() || t.levelCount <= 0) return;
    const int rows = grid.rows(), columns = grid.columns();
    CurrentColor color;
    setLineWidth(in.settings.wireWidthX);
    if (in.settings.wireIntervalX >= 1) {
        for (long long c = 0; c < columns; c += in.settings.wireIntervalX) {
            Corner from = wireEnd(grid, t, 0, int(c));
            for (int r = 0; r + 1 < rows; ++r) {
                Corner to = wireEnd(grid, t, r + 1, int(c));
                if (from.finite && to.finite) drawColorSegment(from, to, t, color);
                from = to;
            }
        }
    }
    setLineWidth(in.settings.wireWidthY);
    if (in.settings.wireIntervalY >= 1) {
        for (long long r = 0; r < rows; r += in.settings.wireIntervalY) {
            Corner from = wireEnd(grid, t, int(r), 0);
            for (int c = 0; c + 1 < columns; ++c) {
                Corner to = wireEnd(grid, t, int(r), c + 1);
                if (from.finite && to.finite) drawColorSegment(from, to, t, color);
                from = to;
            }
        }
    }
}

void drawWireHiddenFill(const DrawInput& in) {
    GridPoints grid(in);
    if (!grid.ready()) return;
    const int rows = grid.rows(), columns = grid.columns();
    beginOffsetFill();
    CurrentColor color;
    if (rows >= 2 && columns >= 2) {
        std::vector<Corner> left(rows), right(rows);
        grid.columnPositions(0, 0, rows - 1, left.data());
        for (int c = 0; c + 1 < columns; ++c) {
            grid.columnPositions(c + 1, 0, rows - 1, right.data());
            for (int r = 0; r + 1 < rows; ++r) {
                const Corner* quad[4] = {&left[r], &right[r], &left[r + 1], &right[r + 1]};
                if (!(quad[0]->finite && quad[1]->finite && quad[2]->finite && quad[3]->finite)) continue;
                // Two triangles meeting on the diagonal (r, c + 1) - (r + 1, c).
                glBegin(GL_TRIANGLE_STRIP);
                color.set({1.0, 1.0, 1.0});
                for (const Corner* v : quad) glVertex3d(v->x, v->y, v->z);
                glEnd();
            }
            std::swap(left, right);
        }
    }
    endOffsetFill();
}

void drawShadedShape(const DrawInput& in) {
    GridPoints grid(in);
    if (!grid.ready()) return;
    const int rows = grid.rows(), columns = grid.columns();
    // No colour here: the surface shows the material's grey under light 0.
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    if (rows >= 2 && columns >= 2) {
        auto rawPoint = [&](int r, int c) {
            const double* p = grid.raw(r, c);
            return Vec3{p[0], p[1], p[2]};
        };
        std::vector<Corner> left(rows), right(rows);
        grid.columnPositions(0, 0, rows - 1, left.data());
        for (int c = 0; c + 1 < columns; ++c) {
            grid.columnPositions(c + 1, 0, rows - 1, right.data());
            for (int r = 0; r + 1 < rows; ++r) {
                const Corner& c0 = left[r];
                const Corner& c1 = left[r + 1];
                const Corner& c2 = right[r];
                const Corner& c3 = right[r + 1];
                if (!(c0.finite && c1.finite && c2.finite && c3.finite)) continue;
                // Flat normals from the data as stored, before mapping.
                Vec3 d0 = rawPoint(r, c), d1 = rawPoint(r + 1, c);
                Vec3 d2 = rawPoint(r, c + 1), d3 = rawPoint(r + 1, c + 1);
                Vec3 n1 = vertexNormal(d0, d2, d1);
                Vec3 n2 = vertexNormal(d2, d1, d3);
                glBegin(GL_TRIANGLE_STRIP);
                glNormal3d(n1.x, n1.y, n1.z);
                glVertex3d(c0.x, c0.y, c0.z);
                glVertex3d(c2.x, c2.y, c2.z);
                glVertex3d(c1.x, c1.y, c1.z);
                glEnd();
                glBegin(GL_TRIANGLE_STRIP);
                glNormal3d(n2.x, n2.y, n2.z);
                glVertex3d(c2.x, c2.y, c2.z);
                glVertex3d(c1.x, c1.y, c1.z);
                glVertex3d(c3.x, c3.y, c3.z);
                glEnd();
            }
            std::swap(left, right);
        }
    }
    glDisable(GL_LIGHTING);
}

}  // namespace kelvra
