// Grid data as a surface: plain and level-coloured wireframes, the white fill
// that hides wires behind the surface, and the lit shape of flat triangles. The
// display-list builder calls these inside list 100, between the scale-box clip
// planes and, for fills under lines, with polygon offset on. Each is made in
// vertex batches on every core and drawn in order from arrays.
//
// Points that are not finite (a logarithmic axis at or below zero, infinite
// data) are drawn nowhere: a wire is broken there, and a cell or segment with
// such a corner is left out.
#include "render/surfaces.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "render/feedbackState.h"
#include "render/graphSteps.h"
#include "render/gridPoints.h"
#include "render/vertexArrays.h"

namespace kelvra {
namespace {

// Vertices per batch of the wire and surface routines: about a MB of arrays.
constexpr std::size_t kVerticesPerBatch = 32768;

// Wires `first` .. `end` - 1 of a set of `wires` wires of `length` points
// each, in one batch: each wire a line strip in `rgb` through its points,
// broken where a point is not finite. pointAt(w, i) is point i of wire w.
template <class PointAt>
void makeWires(int first, int end, int length, const Rgb& rgb, VertexBatch& out, PointAt pointAt) {
    for (int w = first; w < end; ++w) {
        bool open = false;
        for (int i = 0; i < length; ++i) {
            Corner p = pointAt(w, i);
            if (!p.finite) {
                open = false;
                continue;
            }
            if (!open) {
                out.runs.push_back({GL_LINE_STRIP, false, std::uint32_t(out.vertexCount()), 0});
                open = true;
            }
            out.vertex(p.x, p.y, p.z, rgb);
            out.counted();
        }
    }
}

// Draws `wires` wires of `length` points in batches made on every core.
template <class MakeSome>
void drawWires(int wires, int length, MakeSome makeSome) {
    if (wires <= 0 || length <= 0) return;
    const int perBatch = int(std::clamp<std::size_t>(kVerticesPerBatch / std::size_t(length), 1, std::size_t(wires)));
    const std::size_t batches = std::size_t((wires + perBatch - 1) / perBatch);
    drawBatchesInOrder(batches, [&](std::size_t b, VertexBatch& out) {
        const int first = int(b) * perBatch;
        makeSome(first, std::min(wires, first + perBatch), out);
    });
}

// The wire rule for levels: (value - levelBase) / levelStep truncated toward
// zero, one lower than levelOf inside a level and not clamped to 1..n. Values
// further outside are held at -2 or n + 2, which draws the same (see
// colorSegment) and keeps the conversion to int defined.
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
// not one per level step. Pieces of zero length are left out. The pieces go
// into the batch's GL_LINES run.
void colorSegment(const Corner& p, const Corner& q, const LevelTable& t, VertexBatch& out) {
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
        out.begin(GL_LINES);
        out.vertex(cx, cy, cz, t.colors[k]);
        out.vertex(tx, ty, tz, t.colors[k]);
        out.runs.back().count += 2;
        cx = tx, cy = ty, cz = tz;
    }
}

// A segment end for colorSegment: world position, colour value, wire level.
Corner wireEnd(const GridPoints& grid, const LevelTable& t, int r, int c) {
    Corner e = grid.corner(r, c);
    e.level = wireLevel(t, e.value);
    return e;
}

// Number of lines at 0, interval, 2 interval, ... below count.
int linesAt(int count, int interval) { return interval >= 1 && count > 0 ? int((count - 1LL) / interval + 1) : 0; }

// Cells of a grid in batches of whole columns made on every core: each batch
// gets the positions of its columns and the one after, and cell(left, right,
// r, c) for every cell of them (left and right: the positions of columns c
// and c + 1).
template <class Cell>
void drawCellColumns(const GridPoints& grid, VertexBatch::Run run, bool lit, Cell cell) {
    const int rows = grid.rows(), columns = grid.columns();
    if (rows < 2 || columns < 2) return;
    const int perBatch = int(std::clamp<std::size_t>(kVerticesPerBatch / std::size_t(rows), 1, std::size_t(columns - 1)));
    const std::size_t batches = std::size_t((columns - 1 + perBatch - 1) / perBatch);
    drawBatchesInOrder(batches, [&](std::size_t b, VertexBatch& out) {
        out.colored = !lit;
        out.lit = lit;
        const int first = int(b) * perBatch;
        const int end = std::min(columns - 1, first + perBatch);
        std::vector<Corner> left(static_cast<std::size_t>(rows)), right(static_cast<std::size_t>(rows));
        grid.columnPositions(first, 0, rows - 1, left.data());
        out.begin(run.mode, run.indexed);
        for (int c = first; c < end; ++c) {
            grid.columnPositions(c + 1, 0, rows - 1, right.data());
            for (int r = 0; r + 1 < rows; ++r) cell(left, right, r, c, out);
            std::swap(left, right);
        }
    });
}

}  // namespace

void drawWireframe(const DrawInput& in) {
    GridPoints grid(in);
    if (!grid.ready()) return;
    const int rows = grid.rows(), columns = grid.columns();
    const GraphSettings& s = in.settings;
    // X-lines: one per chosen column, through its rows.
    setLineWidth(s.wireWidthX);
    drawWires(linesAt(columns, s.wireIntervalX), rows, [&](int first, int end, VertexBatch& out) {
        // Read a row at a time, as the lines' points lie along the rows.
        const int wires = end - first;
        std::vector<Corner> points(std::size_t(wires) * std::size_t(rows));
        for (int r = 0; r < rows; ++r)
            for (int w = 0; w < wires; ++w)
                points[std::size_t(w) * rows + r] = grid.position(r, int((first + w) * (long long)s.wireIntervalX));
        makeWires(0, wires, rows, s.wireColorX, out, [&](int w, int r) { return points[std::size_t(w) * rows + r]; });
    });
    // Y-lines: one per chosen row, through its columns.
    setLineWidth(s.wireWidthY);
    drawWires(linesAt(rows, s.wireIntervalY), columns, [&](int first, int end, VertexBatch& out) {
        makeWires(first, end, columns, s.wireColorY, out,
                  [&](int w, int c) { return grid.position(int(w * (long long)s.wireIntervalY), c); });
    });
}

void drawColorWireframe(const DrawInput& in) {
    GridPoints grid(in);
    const LevelTable& t = in.ctx.levels;
    if (!grid.ready() || t.levelCount <= 0) return;
    const int rows = grid.rows(), columns = grid.columns();
    const GraphSettings& s = in.settings;
    setLineWidth(s.wireWidthX);
    drawWires(linesAt(columns, s.wireIntervalX), rows, [&](int first, int end, VertexBatch& out) {
        for (int w = first; w < end; ++w) {
            const int c = int(w * (long long)s.wireIntervalX);
            Corner from = wireEnd(grid, t, 0, c);
            for (int r = 0; r + 1 < rows; ++r) {
                Corner to = wireEnd(grid, t, r + 1, c);
                if (from.finite && to.finite) colorSegment(from, to, t, out);
                from = to;
            }
        }
    });
    setLineWidth(s.wireWidthY);
    drawWires(linesAt(rows, s.wireIntervalY), columns, [&](int first, int end, VertexBatch& out) {
        for (int w = first; w < end; ++w) {
            const int r = int(w * (long long)s.wireIntervalY);
            Corner from = wireEnd(grid, t, r, 0);
            for (int c = 0; c + 1 < columns; ++c) {
                Corner to = wireEnd(grid, t, r, c + 1);
                if (from.finite && to.finite) colorSegment(from, to, t, out);
                from = to;
            }
        }
    });
}

void drawWireHiddenFill(const DrawInput& in) {
    GridPoints grid(in);
    if (!grid.ready()) return;
    beginOffsetFill();
    // Per cell two triangles meeting on the diagonal (r, c + 1) - (r + 1, c):
    // the strip (r, c), (r, c + 1), (r + 1, c), (r + 1, c + 1) as GL cuts it.
    constexpr Rgb kWhite{1.0, 1.0, 1.0};
    drawCellColumns(grid, {GL_TRIANGLES, true, 0, 0}, false,
                    [&](const std::vector<Corner>& left, const std::vector<Corner>& right, int r, int, VertexBatch& out) {
                        const Corner* quad[4] = {&left[r], &right[r], &left[r + 1], &right[r + 1]};
                        if (!(quad[0]->finite && quad[1]->finite && quad[2]->finite && quad[3]->finite)) return;
                        GLuint v[4];
                        for (int i = 0; i < 4; ++i) v[i] = out.vertex(quad[i]->x, quad[i]->y, quad[i]->z, kWhite);
                        out.indices(v[0], v[1], v[2]);
                        out.indices(v[2], v[1], v[3]);
                    });
    endOffsetFill();
}

void drawShadedShape(const DrawInput& in) {
    GridPoints grid(in);
    if (!grid.ready()) return;
    // No colour here: the surface shows the material's grey under light 0.
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    drawCellColumns(grid, {GL_TRIANGLES, false, 0, 0}, true,
                    [&](const std::vector<Corner>& left, const std::vector<Corner>& right, int r, int c, VertexBatch& out) {
                        const Corner& c0 = left[r];
                        const Corner& c1 = left[r + 1];
                        const Corner& c2 = right[r];
                        const Corner& c3 = right[r + 1];
                        if (!(c0.finite && c1.finite && c2.finite && c3.finite)) return;
                        // Flat normals from the data as stored, before mapping.
                        Vec3 d0 = grid.raw(r, c), d1 = grid.raw(r + 1, c);
                        Vec3 d2 = grid.raw(r, c + 1), d3 = grid.raw(r + 1, c + 1);
                        Vec3 n1 = vertexNormal(d0, d2, d1);
                        Vec3 n2 = vertexNormal(d2, d1, d3);
                        for (const Corner* v : {&c0, &c2, &c1}) out.vertex(v->x, v->y, v->z, n1);
                        for (const Corner* v : {&c2, &c1, &c3}) out.vertex(v->x, v->y, v->z, n2);
                        out.runs.back().count += 6;
                    });
    glDisable(GL_LIGHTING);
}

}  // namespace kelvra
