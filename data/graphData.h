// The data set: the points read from one data file. It is a plain record that
// the view inherits, so drawing code reads `view.pointValues` in place.
//
// Point p occupies valuesPerPoint doubles from element p * valuesPerPoint; its
// values are X, Y, Z, then (by format) the data value or Vx, Vy, Vz [, data].
// A grid point (row r, column c) is point r * columnCount + c.
#pragma once

#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

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

struct GraphData {
    int dataFormat = -1;        // format number from line 1 of the file (kept as read)
    int valuesPerPoint = 3;     // 3, 4, 6 or 7, fixed by the format
    PointBuffer pointValues;
    int columnCount = 0;        // grids: points per row (X direction)
    int rowCount = 0;           // grids: rows (Y direction)
    int pointCount = 0;         // point lists: points read
    DataKind dataKind = Grid;
    ValueRange valueRange[RangeCount];
    bool dataLoaded = false;    // false also after a load that ran out of memory
    std::string dataFileTitle = "newfile";   // name and extension, CP932
    std::string dataFilePath;                // full path, as given

    // Values of point p, which the array must hold.
    const double* point(std::size_t p) const {
        assert((p + 1) * std::size_t(valuesPerPoint) <= pointValues.size());
        return pointValues.data() + p * valuesPerPoint;
    }
    double* point(std::size_t p) {
        assert((p + 1) * std::size_t(valuesPerPoint) <= pointValues.size());
        return pointValues.data() + p * valuesPerPoint;
    }
    // Grid point at (row r, column c) of the grid.
    const double* gridPoint(int r, int c) const {
        assert(r >= 0 && r < rowCount && c >= 0 && c < columnCount);
        return point(std::size_t(r) * columnCount + c);
    }
};

}  // namespace kelvra
