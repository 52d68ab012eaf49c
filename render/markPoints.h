// Point access shared by the mark routines (points, bars, vectors), the
// sections and the pick targets: how many points the data set really holds,
// the thinned walk over a grid, the colour value of a point, and the test that
// keeps non-finite positions away from GL.
//
// Private to render/.
#pragma once

#include <cmath>
#include <cstddef>

#include "render/drawInput.h"
#include "render/gridPoints.h"

namespace kelvra::marks {

// Points whose values the data set holds; its counts are trusted only this
// far, so no walk can read past what is held.
inline std::size_t storedPoints(const GraphData& d) {
    if (!d.dataLoaded || d.valuesPerPoint < 3) return 0;
    return d.storedPoints();
}

// True when the grid's rows and columns are all in the buffer.
inline bool gridFits(const GraphData& d) {
    if (d.dataKind != Grid || d.columnCount <= 0 || d.rowCount <= 0) return false;
    return std::size_t(d.rowCount) * std::size_t(d.columnCount) <= storedPoints(d);
}

// Points of a list (any kind but Grid), bounded by the buffer.
inline std::size_t listPoints(const GraphData& d) {
    std::size_t n = d.pointCount > 0 ? std::size_t(d.pointCount) : 0;
    std::size_t stored = storedPoints(d);
    return n < stored ? n : stored;
}

// Every point of the data set, grids thinned by the wire intervals: columns
// 0, i, 2i, ... (outer) and within each rows 0, j, 2j, ... (inner); an interval
// below 1 counts as 1. Other kinds: every listed point in order. f(p) gets the
// point number.
template <class F>
void forEachShownPoint(const DrawInput& v, F&& f) {
    if (v.data.dataKind == Grid) {
        if (!gridFits(v.data)) return;
        int stepX = v.settings.wireIntervalX < 1 ? 1 : v.settings.wireIntervalX;
        int stepY = v.settings.wireIntervalY < 1 ? 1 : v.settings.wireIntervalY;
        // Counting in wide integers: c + stepX cannot overflow for any interval.
        for (long long c = 0; c < v.data.columnCount; c += stepX)
            for (long long r = 0; r < v.data.rowCount; r += stepY)
                f(std::size_t(r) * std::size_t(v.data.columnCount) + std::size_t(c));
        return;
    }
    std::size_t n = listPoints(v.data);
    for (std::size_t p = 0; p < n; ++p) f(p);
}

// forEachShownPoint as a numbered sequence, so that stripes of it can be
// made apart: how many points it visits, and the point number of visit i.
inline std::size_t shownPointCount(const DrawInput& v) {
    if (v.data.dataKind != Grid) return listPoints(v.data);
    if (!gridFits(v.data)) return 0;
    long long stepX = v.settings.wireIntervalX < 1 ? 1 : v.settings.wireIntervalX;
    long long stepY = v.settings.wireIntervalY < 1 ? 1 : v.settings.wireIntervalY;
    return std::size_t((v.data.columnCount - 1) / stepX + 1) * std::size_t((v.data.rowCount - 1) / stepY + 1);
}
inline std::size_t shownPoint(const DrawInput& v, std::size_t i) {
    if (v.data.dataKind != Grid) return i;
    std::size_t stepX = std::size_t(v.settings.wireIntervalX < 1 ? 1 : v.settings.wireIntervalX);
    std::size_t stepY = std::size_t(v.settings.wireIntervalY < 1 ? 1 : v.settings.wireIntervalY);
    std::size_t rows = (std::size_t(v.data.rowCount) - 1) / stepY + 1;
    std::size_t c = i / rows * stepX, r = i % rows * stepY;
    return r * std::size_t(v.data.columnCount) + c;
}

// Every point, grids included whole (bars are not thinned): how many.
inline std::size_t pointCount(const GraphData& d) {
    return d.dataKind == Grid ? (gridFits(d) ? std::size_t(d.rowCount) * d.columnCount : 0) : listPoints(d);
}

// Every point, grids included whole (bars are not thinned).
template <class F>
void forEachPoint(const GraphData& d, F&& f) {
    std::size_t n = d.dataKind == Grid ? (gridFits(d) ? std::size_t(d.rowCount) * d.columnCount : 0) : listPoints(d);
    for (std::size_t p = 0; p < n; ++p) f(p);
}

// The points of a section: the rows of column sectionIndexX (axis 0) or the
// columns of row sectionIndexY (axis 1), the index held inside the grid.
// Point k of the section is first + k * stride.
struct SectionWalk {
    std::size_t count = 0, first = 0, stride = 0;
};
inline SectionWalk sectionWalk(const DrawInput& v, int axis) {
    if (!gridFits(v.data)) return {};
    std::size_t columns = std::size_t(v.data.columnCount);
    if (axis == 0) {
        int c = v.state.sectionIndexX < 0 ? 0 : (v.state.sectionIndexX >= v.data.columnCount ? v.data.columnCount - 1 : v.state.sectionIndexX);
        return {std::size_t(v.data.rowCount), std::size_t(c), columns};
    }
    int r = v.state.sectionIndexY < 0 ? 0 : (v.state.sectionIndexY >= v.data.rowCount ? v.data.rowCount - 1 : v.state.sectionIndexY);
    return {columns, std::size_t(r) * columns, 1};
}

inline bool finite(const Vec3& w) {
    return std::isfinite(w.x) && std::isfinite(w.y) && std::isfinite(w.z);
}

// The raw value a point is coloured by: value legendColorSource (0 X, 1 Y, 2 Z,
// 3 data), brought into the point's values as the grid routines do. "Data" is
// the data value of a four- or seven-value point and the vector length of a
// six-value point.
inline double rawColorValue(const DrawInput& v, const double* p) {
    int index = colorValueIndex(v.settings.legendColorSource, v.data.valuesPerPoint);
    if (index < 3) return p[index];
    switch (v.data.valuesPerPoint) {
        case 6: return std::hypot(p[3], p[4], p[5]);
        case 7: return p[6];
        default: return p[3];
    }
}

// A raw value in level space: its natural logarithm on a logarithmic legend
// (minus infinity or NaN for values at or below zero; the level rules take
// those as below the range).
inline double levelSpace(const LevelTable& t, double raw) {
    return t.logLegend ? std::log(raw) : raw;
}

}  // namespace kelvra::marks
