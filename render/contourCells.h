// The cell walk behind the contour fills and contour lines: a grid cell is cut
// into a quad or two triangles (splitCell), and each polygon is walked from its
// lowest level to its highest, giving one triangle strip whose triangles take
// the colour of their level (fillLevelPolygon) or one segment per level
// boundary (traceLevelLines). drawGridCells runs the walk over a range of cells.
//
// The pieces emit into a vertex batch (render/vertexArrays.h) that the
// caller draws. The section fill uses them on its own quads:
//     VertexBatch batch;
//     CellPaint paint(ctx.levels, ctx.levels.colors, ctx.levels.levelCount, batch);
//     CellSplit split = splitCell(c0, c1, c2, c3);     // corners from makeCorner
//     for (int i = 0; i < split.count; ++i) fillLevelPolygon(split.polygon[i], paint);
//     drawBatch(batch);
// with glShadeModel(GL_FLAT) in effect: each triangle takes the colour of its
// last vertex.
#pragma once

#include "render/gridPoints.h"
#include "render/vertexArrays.h"

#include <vector>

namespace kelvra {

// What a polygon is drawn with.
struct CellPaint {
    CellPaint(const LevelTable& levelTable, const Rgb* levelColors, int count, VertexBatch& batch)
        : levels(&levelTable), colors(levelColors), levelCount(count), out(&batch) {}

    const LevelTable* levels;   // levelBase, levelStep and the crossing rule
    const Rgb* colors;          // colour of level k at entry k, k = 0..levelCount
    int levelCount;             // n; levels are clamped to 0..n
    VertexBatch* out;           // where the primitives go
    bool onFloor = false;       // every vertex at z = floorZ (the floor projection)
    double floorZ = 0.0;
    // Polygons as the triangles (fills) or segments (lines) of one run,
    // rather than one primitive each (see drawGridCells).
    bool batched = false;
    // Fills of polygons across many levels take their colours from the band
    // texture that drawGridCells binds, s = (value - levelBase) / (levelStep
    // levelCount), instead of being cut at every level (0 when not).
    double bandScale = 0.0;
    // Their triangles, as vertex numbers of `out`: drawn after the rest of
    // the batch, so that the batch is two runs, not one per change.
    std::vector<GLuint>* banded = nullptr;
};

// A polygon of a cell: three or four corners in drawing order.
struct CellPolygon {
    const Corner* v[4] = {nullptr, nullptr, nullptr, nullptr};
    int count = 0;
};

// The polygons one cell is drawn as: the whole quad or two triangles.
struct CellSplit {
    CellPolygon polygon[2];
    int count = 0;
};

// Cuts the cell c0 (row j, column i), c1 (j + 1, i), c2 (j, i + 1),
// c3 (j + 1, i + 1) by its corner levels, first rule that applies:
//  1. three of c0, c1, c2 or of c1, c2, c3 in one level: triangles (c0, c1, c2)
//     and (c1, c3, c2), on the c1-c2 diagonal;
//  2. three of c0, c1, c3 or of c0, c2, c3 in one level: triangles (c0, c1, c3)
//     and (c0, c3, c2), on the c0-c3 diagonal;
//  3. a saddle (one diagonal's levels all at or below the other's): on the
//     diagonal whose ends differ less in world z, c0-c3 on a tie;
//  4. otherwise the quad c0, c1, c3, c2.
// The polygons point at the corners passed in.
CellSplit splitCell(const Corner& c0, const Corner& c1, const Corner& c2, const Corner& c3);

// Level-banded fill of one polygon: one triangle strip that zips up the
// polygon between two chains running from its lowest corner, emitting the
// points where the value reaches the top of each level, each vertex in the
// colour of the level being walked. A polygon in one level is a plain strip.
// The walk repeats its first pass and emits some points twice; the degenerate
// triangles this gives cover nothing. A polygon with a non-finite corner is
// skipped. Batched (and in a vector capture), the strip goes in as the
// triangles GL makes of it, each in its colour at every corner, degenerate
// ones left out.
void fillLevelPolygon(const CellPolygon& polygon, CellPaint& paint);

// Contour segments of one polygon: the same walk, drawing one GL_LINE_STRIP of
// two vertices per level boundary that crosses the polygon, in the colour of
// the level below it; the top boundary (level n) is never drawn. The caller
// sets the line width.
void traceLevelLines(const CellPolygon& polygon, CellPaint& paint);

// White fill of one polygon that hides lines behind the surface; never projected.
void fillHiddenPolygon(const CellPolygon& polygon, CellPaint& paint);

// What drawGridCells does with each cell.
enum class CellDrawer { FillLevels = 0, LevelLines = 1, SingleColorLines = 2, HiddenFill = 3 };

// Cells by column and row index; the ends are exclusive. Cell (i, j) has the
// corners of columns i, i + 1 and rows j, j + 1.
struct CellRange {
    int firstColumn = 0, endColumn = 0;
    int firstRow = 0, endRow = 0;
};
CellRange wholeGrid(const GraphData& d);

// z of the floor of the scale box: the world position of scaleMin[2], or of
// scaleMax[2] on a reversed Z axis (the reversed mapping puts it at the bottom).
double floorZ(const GraphSettings& s, const AxisMapping& map);

// Whether drawGridCells batches its primitives (on unless switched off). Off,
// every polygon is its own primitive: the plain drawing that the batched one
// must match pixel for pixel.
void setCellBatching(bool on);
bool cellBatching();

// The cell walk, columns outer and rows inner, over the cells of `range` that
// lie in the grid, made in stripes of columns on every core and drawn in
// order. Sets the flat shade model (and leaves it). Cells with a non-finite
// corner are skipped whole. `colors` and `levelCount` are the
// colour table to use (colour, grey or one colour for SingleColorLines, whose
// table is made here); levels and crossings come from ctx.levels.
void drawGridCells(const DrawInput& in, const Rgb* colors, int levelCount,
                   const CellRange& range, bool onFloor, CellDrawer drawer);

}  // namespace kelvra
