// Data sets made by hand for drawing tests, without a data file: fill a grid
// or a point list straight into a view or a test's records (records.h), set the scales so that the box maps
// onto known world positions, and pick with the pick's own
// selection pass.
//
// With scaleSizePercent 100 each axis is one world unit long; a square
// viewport of 400 pixels at zoom 100 shows world -1..1, 200 pixels per unit.
#pragma once

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <type_traits>
#include <vector>

#include "render/pickTargets.h"
#include "render/sections.h"
#include "view/kelvraView.h"

namespace kelvra::test {

// A columns x rows grid; point (r, c) at X = c, Y = r, Z = z(c, r).
template <class Records>
void fillGrid(Records& v, int columns, int rows, const std::function<double(int, int)>& z) {
    v.data.valuesPerPoint = 3;
    v.data.dataFormat = 1;
    v.data.dataKind = Grid;
    v.data.columnCount = columns;
    v.data.rowCount = rows;
    v.data.pointCount = columns * rows;
    v.data.pointValues.allocate(std::size_t(columns) * rows * 3);
    for (auto& range : v.data.valueRange) range.reset();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            double* p = v.data.point(std::size_t(r) * columns + c);
            p[0] = c;
            p[1] = r;
            p[2] = z(c, r);
            for (int a = 0; a < 3; ++a) {
                v.data.valueRange[a].min = std::min(v.data.valueRange[a].min, p[a]);
                v.data.valueRange[a].max = std::max(v.data.valueRange[a].max, p[a]);
            }
        }
    v.data.dataLoaded = true;
}

// A point list of `kind` with valuesPerPoint values each; RangeVector is the
// longest vector when there are six or more values.
template <class Records>
void fillPoints(Records& v, DataKind kind, int valuesPerPoint, const std::vector<std::vector<double>>& points) {
    v.data.valuesPerPoint = valuesPerPoint;
    v.data.dataKind = kind;
    v.data.pointCount = int(points.size());
    v.data.columnCount = 0;
    v.data.rowCount = 0;
    v.data.pointValues.allocate(points.size() * valuesPerPoint);
    for (auto& range : v.data.valueRange) range.reset();
    for (std::size_t p = 0; p < points.size(); ++p) {
        for (int k = 0; k < valuesPerPoint; ++k) v.data.point(p)[k] = points[p][k];
        if (valuesPerPoint >= 6) {
            double length = std::hypot(points[p][3], points[p][4], points[p][5]);
            v.data.valueRange[RangeVector].max = std::max(v.data.valueRange[RangeVector].max, length);
            v.data.valueRange[RangeVector].min = std::min(v.data.valueRange[RangeVector].min, length);
        }
    }
    v.data.dataLoaded = true;
}

// Scale of axis a (0..2 X, Y, Z; 3 the legend) with the box one world unit long.
template <class Records>
void setScale(Records& v, int a, double min, double max) {
    v.settings.scaleMin[a] = min;
    v.settings.scaleMax[a] = max;
    if (a < 3) {
        v.state.axisSpan[a] = max - min;
        v.settings.scaleSizePercent[a] = 100;
    }
}

// Window x or y (pixels from the bottom-left of a 400 x 400 viewport) of a
// world coordinate under the top view.
inline double windowOf(double world) { return (world + 1.0) * 200.0; }

// Names hit by the pick's 10 x 10 pixel box at window (x, y) (origin
// bottom-left), under the top view of the current viewport: a view's pick,
// or the pick targets of a test's records.
template <class Records>
std::vector<GLuint> pickNames(Records& v, double x, double y, bool cull = true) {
    const int kept[4] = {v.settings.viewPosX, v.settings.viewPosY, v.settings.viewAngleX, v.settings.viewAngleZ};
    v.settings.viewPosX = v.settings.viewPosY = v.settings.viewAngleX = v.settings.viewAngleZ = 0;
    PickHits hits;
    if constexpr (std::is_same_v<Records, CKelvraView>) {
        hits = v.selectPickTargets(x, y, cull);
    } else {
        holdSectionOnGrid(v.data, v.settings, v.state);
        hits = selectPickTargets(v.input(), x, y, cull);
    }
    v.settings.viewPosX = kept[0];
    v.settings.viewPosY = kept[1];
    v.settings.viewAngleX = kept[2];
    v.settings.viewAngleZ = kept[3];
    return {hits.names.begin(), hits.names.end()};
}

}  // namespace kelvra::test
