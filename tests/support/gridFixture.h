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

// What both fixtures do to their records: Records for GridRecords, a whole
// view for GridView; `Self::target()` names them.
template <class Self>
struct GridBuilder {
    // A rows x columns grid over x0..x1 (columns) and y0..y1 (rows), Z = z(x, y),
    // and a data value extra(x, y) when `extra` is given (four values per point).
    void fill(int rows, int columns, double x0, double x1, double y0, double y1,
              const std::function<double(double, double)>& z,
              const std::function<double(double, double)>& extra = nullptr) {
        GraphData& data = target().data;
        data.dataKind = Grid;
        data.rowCount = rows;
        data.columnCount = columns;
        data.pointCount = rows * columns;
        data.valuesPerPoint = extra ? 4 : 3;
        data.pointValues.allocate(std::size_t(rows) * columns * data.valuesPerPoint);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                double* p = data.point(std::size_t(r) * columns + c);
                p[0] = columns > 1 ? x0 + (x1 - x0) * c / (columns - 1) : x0;
                p[1] = rows > 1 ? y0 + (y1 - y0) * r / (rows - 1) : y0;
                p[2] = z(p[0], p[1]);
                if (extra) p[3] = extra(p[0], p[1]);
            }
        }
        data.dataLoaded = true;
    }
    // Axis 0..2 (X, Y, Z) or 3 (legend; `step` is then the level-count index).
    void scale(int axis, double min, double max, double step) {
        target().settings.scaleMin[axis] = min;
        target().settings.scaleMax[axis] = max;
        target().settings.scaleStep[axis] = step;
        if (axis < 3) target().state.axisSpan[axis] = max - min;
    }
    // A rows x columns grid over -100..100 both ways, X and Y scaled -100..100
    // by 50, Z in four steps from zMin to zMax, the legend zMin..zMax with
    // level-count index `levels` (3: 20 levels).
    void square(int rows, int columns, const std::function<double(double, double)>& z, double zMin, double zMax,
                int levels = 3) {
        fill(rows, columns, -100, 100, -100, 100, z);
        for (int a = 0; a < 2; ++a) scale(a, -100, 100, 50);
        scale(2, zMin, zMax, (zMax - zMin) / 4);
        scale(3, zMin, zMax, levels);
    }
    // The 2-D display seen from straight above.
    void topView() {
        target().settings.displayMode = Display2D;
        target().settings.viewAngleX = 0;
        target().settings.viewAngleZ = 0;
    }

protected:
    // Only the graph in the picture.
    void graphOnly() {
        target().settings.scaleShow = 0;
        target().settings.legendShow = 0;
        target().settings.axisShow = 0;
    }

private:
    auto& target() { return static_cast<Self&>(*this).target(); }
};

struct GridRecords : GridBuilder<GridRecords> {
    Records r;

    GridRecords() { graphOnly(); }
    Records& target() { return r; }
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

struct GridView : GridBuilder<GridView> {
    HeadlessHost host{{400, 400}};
    CKelvraView view{host};

    GridView() {
        host.printMessages = false;
        graphOnly();
    }
    CKelvraView& target() { return view; }

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
