// A small grid filled directly (no data file), with the scales set by hand,
// for tests that draw grid graphs: fill it, choose the graph, then draw, or
// capture the drawing routines in feedback mode. GridRecords holds only the
// records the drawing routines read; GridView a whole view, for tests of the
// view's lists, scene, pick and pictures.
// Capture the routines themselves, not glCallList of a built list: Mesa 22
// merges consecutive primitives of a display list, and its feedback (and
// selection) path then returns only the first primitive of each merged run.
#pragma once

#include <cstddef>
#include <functional>

#include "base/headlessHost.h"
#include "render/scene.h"
#include "support/records.h"
#include "view/kelvraView.h"

namespace kelvra::test {

// What both fixtures do to their records (a view, or a test's Records).
template <class Target>
struct GridFilling {
    // A rows x columns grid over x0..x1 (columns) and y0..y1 (rows), Z = z(x, y),
    // and a data value extra(x, y) when `extra` is given (four values per point).
    static void fill(Target& t, int rows, int columns, double x0, double x1, double y0, double y1,
                     const std::function<double(double, double)>& z,
                     const std::function<double(double, double)>& extra) {
        t.data.dataKind = Grid;
        t.data.rowCount = rows;
        t.data.columnCount = columns;
        t.data.pointCount = rows * columns;
        t.data.valuesPerPoint = extra ? 4 : 3;
        t.data.pointValues.allocate(std::size_t(rows) * columns * t.data.valuesPerPoint);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                double* p = t.data.point(std::size_t(r) * columns + c);
                p[0] = columns > 1 ? x0 + (x1 - x0) * c / (columns - 1) : x0;
                p[1] = rows > 1 ? y0 + (y1 - y0) * r / (rows - 1) : y0;
                p[2] = z(p[0], p[1]);
                if (extra) p[3] = extra(p[0], p[1]);
            }
        }
        t.data.dataLoaded = true;
    }
    // Axis 0..2 (X, Y, Z) or 3 (legend; `step` is then the level-count index).
    static void scale(Target& t, int axis, double min, double max, double step) {
        t.settings.scaleMin[axis] = min;
        t.settings.scaleMax[axis] = max;
        t.settings.scaleStep[axis] = step;
        if (axis < 3) t.state.axisSpan[axis] = max - min;
    }
    // The 2-D display seen from straight above; only the graph in the picture.
    static void topView(Target& t) {
        t.settings.displayMode = Display2D;
        t.settings.viewAngleX = 0;
        t.settings.viewAngleZ = 0;
    }
    static void graphOnly(Target& t) {
        t.settings.scaleShow = 0;
        t.settings.legendShow = 0;
        t.settings.axisShow = 0;
    }
};

struct GridRecords {
    Records r;

    GridRecords() { GridFilling<Records>::graphOnly(r); }
    void fill(int rows, int columns, double x0, double x1, double y0, double y1,
              const std::function<double(double, double)>& z,
              const std::function<double(double, double)>& extra = nullptr) {
        GridFilling<Records>::fill(r, rows, columns, x0, x1, y0, y1, z, extra);
    }
    void scale(int axis, double min, double max, double step) { GridFilling<Records>::scale(r, axis, min, max, step); }
    void topView() { GridFilling<Records>::topView(r); }
    // One picture of width x height, the scene drawn straight from the
    // records (needs a context current).
    void draw(int width, int height) {
        initGlState();
        resizeViewport(width, height, r.settings.viewZoom);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        holdSectionOnGrid(r.data, r.settings, r.state);
        drawSceneParts(r.input(), TextOut{r.glyphs}, SceneSource{});
    }
};

struct GridView {
    HeadlessHost host{{400, 400}};
    CKelvraView view{host};

    GridView() {
        host.printMessages = false;
        GridFilling<CKelvraView>::graphOnly(view);
    }
    void fill(int rows, int columns, double x0, double x1, double y0, double y1,
              const std::function<double(double, double)>& z,
              const std::function<double(double, double)>& extra = nullptr) {
        GridFilling<CKelvraView>::fill(view, rows, columns, x0, x1, y0, y1, z, extra);
    }
    void scale(int axis, double min, double max, double step) { GridFilling<CKelvraView>::scale(view, axis, min, max, step); }
    void topView() { GridFilling<CKelvraView>::topView(view); }

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
