// A view holding a small grid filled directly (no data file), with the scales
// set by hand, for tests that draw grid graphs: fill it, choose the graph, then
// build the lists and draw, or capture the drawing routines in feedback mode.
// Capture the routines themselves, not glCallList of a built list: Mesa 22
// merges consecutive primitives of a display list, and its feedback (and
// selection) path then returns only the first primitive of each merged run.
#pragma once

#include <cstddef>
#include <functional>

#include "base/headlessHost.h"
#include "view/kelvraView.h"

namespace kelvra::test {

struct GridView {
    HeadlessHost host{{400, 400}};
    CKelvraView view{host};

    GridView() {
        host.printMessages = false;
        // Only the graph: no scale frame, legend or axis indicator in the picture.
        view.scaleShow = 0;
        view.legendShow = 0;
        view.axisShow = 0;
    }

    // A rows x columns grid over x0..x1 (columns) and y0..y1 (rows), Z = z(x, y),
    // and a data value extra(x, y) when `extra` is given (four values per point).
    void fill(int rows, int columns, double x0, double x1, double y0, double y1,
              const std::function<double(double, double)>& z,
              const std::function<double(double, double)>& extra = nullptr) {
        view.dataKind = Grid;
        view.rowCount = rows;
        view.columnCount = columns;
        view.pointCount = rows * columns;
        view.valuesPerPoint = extra ? 4 : 3;
        view.pointValues.allocate(std::size_t(rows) * columns * view.valuesPerPoint);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                double* p = view.point(std::size_t(r) * columns + c);
                p[0] = columns > 1 ? x0 + (x1 - x0) * c / (columns - 1) : x0;
                p[1] = rows > 1 ? y0 + (y1 - y0) * r / (rows - 1) : y0;
                p[2] = z(p[0], p[1]);
                if (extra) p[3] = extra(p[0], p[1]);
            }
        }
        view.dataLoaded = true;
    }

    // Axis 0..2 (X, Y, Z) or 3 (legend; `step` is then the level-count index).
    void scale(int axis, double min, double max, double step) {
        view.scaleMin[axis] = min;
        view.scaleMax[axis] = max;
        view.scaleStep[axis] = step;
        if (axis < 3) view.axisSpan[axis] = max - min;
    }

    // The 2-D display seen from straight above.
    void topView() {
        view.displayMode = Display2D;
        view.viewAngleX = 0;
        view.viewAngleZ = 0;
    }

    // The fixed GL state of a new window (white background, depth test, light);
    // needs the context current.
    void initGl() {
        if (glReady) return;
        view.initGlState();
        glReady = true;
    }

    // Builds the lists and draws one picture of width x height.
    void draw(int width, int height) {
        initGl();
        view.resizeViewport(width, height);
        view.buildDisplayLists();
        view.drawScene();
    }

    bool glReady = false;
};

}  // namespace kelvra::test
