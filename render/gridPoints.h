// Grid points as the grid drawing routines see them: mapped to world space once
// per build, with the colour value in level space and its level. Shared by the
// contour cells (render/contours.cpp), the surfaces (render/surfaces.cpp) and
// the section fill, which builds its own corners with makeCorner; with them the
// colour helper that keeps repeated glColor calls out of the lists.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "render/drawInput.h"

namespace kelvra {

// One grid point, or a made-up corner of a section band. A record that is not
// `finite` is drawn nowhere: a point on a logarithmic axis at or below zero, or
// a value that is infinite or not a number in the data.
struct Corner {
    double x = 0.0, y = 0.0, z = 0.0;   // world position
    double value = 0.0;                 // colour value in level space
    int level = 1;                      // 1..levelCount, levelOf unless the caller decides
    bool finite = false;                // position and value are finite (set by makeCorner)
};

inline Corner makeCorner(double x, double y, double z, double value, int level) {
    bool finite = std::isfinite(x) && std::isfinite(y) && std::isfinite(z) && std::isfinite(value);
    return {x, y, z, value, level, finite};
}

// Colour of the current vertex, given to GL only when it changes; the colour in
// effect for every vertex stays what setting it each time would give. Valid for
// one routine's run of primitives (nothing else may set the colour meanwhile).
// Set it after glBegin, never between primitives: in a display list Mesa ends
// its block of vertices at a colour given outside glBegin/glEnd, and a list of
// many small blocks compiles slower and draws several times slower.
class CurrentColor {
public:
    void set(const Rgb& c);

private:
    Rgb last_;
    bool known_ = false;
};

// Reads grid points of a data set, in either of its layouts, and maps them
// with the build's mapping and levels. ready() is false unless the data set
// is a Grid that holds rowCount x columnCount points (then nothing may be
// read). Every method may be called from several threads at once.
class GridPoints {
public:
    explicit GridPoints(const DrawInput& in);

    bool ready() const { return ready_; }
    int rows() const { return rows_; }
    int columns() const { return columns_; }

    // Raw X, Y, Z of point (row r, column c), as the data set holds them.
    Vec3 raw(int r, int c) const {
        if (axes_) return {data_->axesX(r, c), data_->axesY(r, c), data_->axesZ(r, c)};
        const double* p = values_ + (std::size_t(r) * columns_ + c) * valuesPerPoint_;
        return {p[0], p[1], p[2]};
    }
    // World position, colour value and level (levelOf) of point (r, c).
    Corner corner(int r, int c) const;
    // World position of point (r, c) only (value and level left at 0).
    Corner position(int r, int c) const;
    // Positions of rows firstRow..lastRow (inclusive) of column c into out[0..].
    void columnPositions(int c, int firstRow, int lastRow, Corner* out) const;
    // Full corners of `count` neighbouring columns from firstColumn, column k's
    // rows at out[k * (lastRow - firstRow + 1)]. Read a row at a time: a column
    // alone takes one point from each row, a cache miss per point on a large grid.
    void columns(int firstColumn, int count, int firstRow, int lastRow, Corner* out) const;

private:
    // World X and Y of point (r, c): per column and row from the axes, with
    // the exceptions of short rows (GraphData::axesX).
    double worldX(int r, int c) const {
        return c < data_->axes.filled[std::size_t(r)] || (r == 0 && data_->axes.columnGridRules) ? worldX_[std::size_t(c)]
                                                                                                : worldZeroX_;
    }
    double worldY(int r, int c) const {
        return c < data_->axes.filled[std::size_t(r)] || (c == 0 && data_->axes.columnGridRules) ? worldY_[std::size_t(r)]
                                                                                                : worldZeroY_;
    }
    double colorValue(int r, int c, const Vec3& raw) const;

    const GraphData* data_;
    const double* values_ = nullptr;
    bool axes_ = false;
    int rows_ = 0, columns_ = 0, valuesPerPoint_ = 3;
    int colorIndex_ = 2;   // which value of a point colours it
    const AxisMapping* map_;
    const LevelTable* levels_;
    std::vector<double> worldX_, worldY_;   // axes layout: mapped X of each column, Y of each row
    double worldZeroX_ = 0.0, worldZeroY_ = 0.0;
    bool ready_ = false;
};

// Index of the value that colours a point: legendColorSource, brought into the
// values the point has (3 values: 0..2, else Z; more: 0..3, else the data value),
// as the scale recompute does, so a stale setting never reads past the point.
int colorValueIndex(int legendColorSource, int valuesPerPoint);

// Unit normal of the triangle p0, p1, p2: (p1 - p0) x (p2 - p0), normalised.
// The edges are scaled to unit size first, so huge or tiny coordinates neither
// overflow nor vanish. A triangle whose corners lie on one line (or are not
// finite) has no direction and gets (0, 0, 1): it covers no area on linear
// axes, and no zero or non-finite normal reaches GL.
Vec3 vertexNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2);

}  // namespace kelvra
