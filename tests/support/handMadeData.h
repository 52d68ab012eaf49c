// Data sets made by hand for drawing tests, without a data file: fill a grid
// or a point list straight into the view, set the scales so that the box maps
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
#include <vector>

#include "view/kelvraView.h"

namespace kelvra::test {

// A columns x rows grid; point (r, c) at X = c, Y = r, Z = z(c, r).
inline void fillGrid(CKelvraView& v, int columns, int rows, const std::function<double(int, int)>& z) {
    v.valuesPerPoint = 3;
    v.dataFormat = 1;
    v.dataKind = Grid;
    v.columnCount = columns;
    v.rowCount = rows;
    v.pointCount = columns * rows;
    v.pointValues.allocate(std::size_t(columns) * rows * 3);
    for (auto& range : v.valueRange) range.reset();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            double* p = v.point(std::size_t(r) * columns + c);
            p[0] = c;
            p[1] = r;
            p[2] = z(c, r);
            for (int a = 0; a < 3; ++a) {
                v.valueRange[a].min = std::min(v.valueRange[a].min, p[a]);
                v.valueRange[a].max = std::max(v.valueRange[a].max, p[a]);
            }
        }
    v.dataLoaded = true;
}

// A point list of `kind` with valuesPerPoint values each; RangeVector is the
// longest vector when there are six or more values.
inline void fillPoints(CKelvraView& v, DataKind kind, int valuesPerPoint, const std::vector<std::vector<double>>& points) {
    v.valuesPerPoint = valuesPerPoint;
    v.dataKind = kind;
    v.pointCount = int(points.size());
    v.columnCount = 0;
    v.rowCount = 0;
    v.pointValues.allocate(points.size() * valuesPerPoint);
    for (auto& range : v.valueRange) range.reset();
    for (std::size_t p = 0; p < points.size(); ++p) {
        for (int k = 0; k < valuesPerPoint; ++k) v.point(p)[k] = points[p][k];
        if (valuesPerPoint >= 6) {
            double length = std::hypot(points[p][3], points[p][4], points[p][5]);
            v.valueRange[RangeVector].max = std::max(v.valueRange[RangeVector].max, length);
            v.valueRange[RangeVector].min = std::min(v.valueRange[RangeVector].min, length);
        }
    }
    v.dataLoaded = true;
}

// Scale of axis a (0..2 X, Y, Z; 3 the legend) with the box one world unit long.
inline void setScale(CKelvraView& v, int a, double min, double max) {
    v.scaleMin[a] = min;
    v.scaleMax[a] = max;
    if (a < 3) {
        v.axisSpan[a] = max - min;
        v.scaleSizePercent[a] = 100;
    }
}

// Window x or y (pixels from the bottom-left of a 400 x 400 viewport) of a
// world coordinate under the top view.
inline double windowOf(double world) { return (world + 1.0) * 200.0; }

// Names hit by the pick's 10 x 10 pixel box at window (x, y) (origin
// bottom-left), under the top view of the current viewport.
inline std::vector<GLuint> pickNames(CKelvraView& v, double x, double y, bool cull = true) {
    const int kept[4] = {v.viewPosX, v.viewPosY, v.viewAngleX, v.viewAngleZ};
    v.viewPosX = v.viewPosY = v.viewAngleX = v.viewAngleZ = 0;
    PickHits hits = v.selectPickTargets(x, y, cull);
    v.viewPosX = kept[0];
    v.viewPosY = kept[1];
    v.viewAngleX = kept[2];
    v.viewAngleZ = kept[3];
    return {hits.names.begin(), hits.names.end()};
}

}  // namespace kelvra::test
