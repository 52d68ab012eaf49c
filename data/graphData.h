// The data set: the points read from one data file, a plain record that the
// view owns and every routine reads through pointAt (or, in the hot loops of
// grid drawing, through the layout itself).
//
// Point p's values are X, Y, Z, then (by format) the data value or Vx, Vy,
// Vz [, data]. They are held in one of two layouts: per point, valuesPerPoint
// doubles from element p * valuesPerPoint of pointValues; or, for the grids
// of formats 1 and 4, X per column, Y per row and Z per point (GridAxes).
// A grid point (row r, column c) is point r * columnCount + c.
#pragma once

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace kelvra {

enum DataKind : int { Grid = 0, Scattered = 1, Vectors = 2, PointValues = 3, DataKindCount };
enum RangeIndex { RangeX = 0, RangeY = 1, RangeZ = 2, RangeData = 3, RangeVector = 4, RangeCount = 5 };

struct ValueRange {
    double min = 999999.0;
    double max = -999999.0;
    // The first value sets both ends; later values widen them.
    void reset() { min = 999999.0; max = -999999.0; }
};

// Smallest and largest of the values a reader adds; a quantity that received
// no value (a hole, NaN, is never taken) leaves the range as it was.
struct Span {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void add(double v) {
        if (v < lo) lo = v;
        if (v > hi) hi = v;
    }
    void add(const Span& o) {
        if (o.lo > o.hi) return;
        add(o.lo);
        add(o.hi);
    }
    void storeInto(ValueRange& r) const {
        if (lo <= hi) r = {lo, hi};
    }
};

// A zero-filled array of doubles obtained with calloc: large blocks come from
// fresh zero pages, so the part a reader never reaches costs no time.
class PointBuffer {
public:
    PointBuffer() = default;
    // Returns false (and leaves the buffer empty) when the memory cannot be had.
    bool allocate(std::size_t count) {
        release();
        if (count == 0) count = 1;
        if (count > SIZE_MAX / sizeof(double)) return false;
        data_.reset(static_cast<double*>(std::calloc(count, sizeof(double))));
        size_ = data_ ? count : 0;
        return bool(data_);
    }
    void release() { data_.reset(); size_ = 0; }
    double* data() { return data_.get(); }
    const double* data() const { return data_.get(); }
    std::size_t size() const { return size_; }   // in doubles
    bool empty() const { return size_ == 0; }
    double& operator[](std::size_t i) { return data_.get()[i]; }
    const double& operator[](std::size_t i) const { return data_.get()[i]; }

private:
    struct Free {
        void operator()(double* p) const { std::free(p); }
    };
    std::unique_ptr<double, Free> data_;
    std::size_t size_ = 0;
};

// Length of a vector; huge components neither overflow to infinity nor give
// NaN. A missing component (NaN) leaves the length missing.
inline double vectorLength(double x, double y, double z) {
    double s = std::sqrt(x * x + y * y + z * z);
    if (std::isfinite(s) || std::isnan(s)) return s;
    s = std::hypot(x, y, z);
    return std::isfinite(s) ? s : std::numeric_limits<double>::max();
}

// One point's values copied out of the data set: X, Y, Z, then (by format)
// the data value or Vx, Vy, Vz [, data]; unused entries are 0. A record in a
// variable passes as the pointer to its values; a temporary one does not,
// since that pointer would dangle.
struct PointRecord {
    double v[7] = {0, 0, 0, 0, 0, 0, 0};
    double operator[](int i) const { return v[i]; }
    const double* values() const& { return v; }
    operator const double*() const& { return v; }
    operator const double*() const&& = delete;
};

// A grid read from a column grid (format 1) or a stepped grid (format 4)
// holds its X once per column and its Y once per row: the point array of a
// 10 000 x 10 000 grid is then 800 MB of Z instead of 2.4 GB of points.
// What a point reads is what the per-point array held for such a grid: a row
// that received fewer Z values than the grid has columns (`filled`) reads 0
// for X and Y beyond them, except that in a column grid row 0 keeps every
// column's X (the header's) and column 0 keeps the row's Y.
struct GridAxes {
    std::vector<double> x;        // X of each column
    std::vector<double> y;        // Y of each row
    std::vector<int> filled;      // per row: columns that received a value
    PointBuffer z;                // Z of point r * columnCount + c; 0 where a row had no value
    bool columnGridRules = false; // the column grid's exceptions above

    void release() {
        x = {};
        y = {};
        filled = {};
        z.release();
        columnGridRules = false;
    }
};

struct GraphData {
    int dataFormat = -1;        // format number from line 1 of the file (kept as read)
    int valuesPerPoint = 3;     // 3, 4, 6 or 7, fixed by the format
    // The points, valuesPerPoint doubles each; empty for a grid held by its axes.
    PointBuffer pointValues;
    GridAxes axes;              // a grid held by its axes (heldByAxes)
    int columnCount = 0;        // grids: points per row (X direction)
    int rowCount = 0;           // grids: rows (Y direction)
    int pointCount = 0;         // point lists: points read
    DataKind dataKind = Grid;
    ValueRange valueRange[RangeCount];
    bool dataLoaded = false;    // false also after a load that ran out of memory
    std::string dataFileTitle = "newfile";   // name and extension, CP932
    std::string dataFilePath;                // full path, as given

    // True for a grid whose X and Y are held per column and row (three values per point).
    bool heldByAxes() const { return !axes.z.empty(); }

    // Points whose values are held: every index below it may be read.
    std::size_t storedPoints() const {
        if (heldByAxes()) {
            if (columnCount <= 0) return 0;
            const std::size_t rows = std::min(axes.y.size(), axes.filled.size());
            const std::size_t columns = std::min(axes.x.size(), std::size_t(columnCount));
            if (columns < std::size_t(columnCount)) return 0;
            return std::min(axes.z.size() / std::size_t(columnCount), rows) * std::size_t(columnCount);
        }
        return valuesPerPoint > 0 ? pointValues.size() / std::size_t(valuesPerPoint) : 0;
    }

    // Drops the values of every point (both layouts).
    void releasePoints() {
        pointValues.release();
        axes.release();
    }

    // X, Y, Z of grid point (row r, column c) of a grid held by its axes.
    double axesX(int r, int c) const {
        return c < axes.filled[std::size_t(r)] || (r == 0 && axes.columnGridRules) ? axes.x[std::size_t(c)] : 0.0;
    }
    double axesY(int r, int c) const {
        return c < axes.filled[std::size_t(r)] || (c == 0 && axes.columnGridRules) ? axes.y[std::size_t(r)] : 0.0;
    }
    double axesZ(int r, int c) const { return axes.z[std::size_t(r) * std::size_t(columnCount) + std::size_t(c)]; }

    // The values of point p (below storedPoints()), in either layout.
    PointRecord pointAt(std::size_t p) const {
        PointRecord out;
        if (heldByAxes()) {
            const int r = int(p / std::size_t(columnCount)), c = int(p % std::size_t(columnCount));
            out.v[0] = axesX(r, c);
            out.v[1] = axesY(r, c);
            out.v[2] = axesZ(r, c);
            return out;
        }
        const double* values = point(p);
        std::copy(values, values + std::min(valuesPerPoint, 7), out.v);
        return out;
    }
    // Grid point (row r, column c).
    PointRecord gridPointAt(int r, int c) const {
        assert(r >= 0 && r < rowCount && c >= 0 && c < columnCount);
        return pointAt(std::size_t(r) * std::size_t(columnCount) + std::size_t(c));
    }

    // The values of point p in the per-point array (not for a grid held by
    // its axes), which the array must hold: for filling the array.
    const double* point(std::size_t p) const {
        assert(!heldByAxes() && (p + 1) * std::size_t(valuesPerPoint) <= pointValues.size());
        return pointValues.data() + p * valuesPerPoint;
    }
    double* point(std::size_t p) {
        assert(!heldByAxes() && (p + 1) * std::size_t(valuesPerPoint) <= pointValues.size());
        return pointValues.data() + p * valuesPerPoint;
    }
};

}  // namespace kelvra
