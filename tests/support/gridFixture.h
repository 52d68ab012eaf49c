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
        view.settings.scaleShow = 0;
        view.settings.legendShow = 0;
        view.settings.axisShow = 0;
    }

    // A rows x columns grid over x0..x1 (columns) and y0..y1 (rows), Z = z(x, y),
    // and a data value extra(x, y) when `extra` is given (four values per point).
    void fill(int rows, int columns, double x0, double x1, double y0, double y1,
              const std::function<double(double, double)>& z,
              const std::function<double(double, double)>& extra = nullptr) {
        view.data.dataKind = Grid;
        view.data.rowCount = rows;
        view.data.columnCount = columns;
        view.data.pointCount = rows * columns;
        view.data.valuesPerPoint = extra ? 4 : 3;
        view.data.pointValues.allocate(std::size_t(rows) * columns * view.data.valuesPerPoint);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                double* p = view.data.point(std::size_t(r) * columns + c);
                p[0] = columns > 1 ? x0 + (x1 - x0) * c / (columns - 1) : x0;
                p[1] = rows > 1 ? y0 + (y1 - y0) * r / (rows - 1) : y0;
                p[2] = z(p[0], p[1]);
                if (extra) p[3] = extra(p[0], p[1]);
            }
        }
        view.data.dataLoaded = true;
    }

    // Axis 0..2 (X, Y, Z) or 3 (legend; `step` is then the level-count index).
    void scale(int axis, double min, double max, double step) {
        view.settings.scaleMin[axis] = min;
        view.settings.scaleMax[axis] = max;
        view.settings.scaleStep[axis] = step;
        if (axis < 3) view.state.axisSpan[axis] = max - min;
    }

    // The 2-D display seen from straight above.
    void topView() {
        view.settings.displayMode = Display2D;
        view.settings.viewAngleX = 0;
        view.settings.viewAngleZ = 0;
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
