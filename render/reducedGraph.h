// The reduced graph: while a drag or a held arrow key moves the view and the
// full graph (list 100) took longer than a frame budget to draw, the window
// draws list 120 instead: the same drawing steps, mapping, colour levels and
// overlays, fed with a copy of the data set thinned evenly in both grid
// directions (the first and last row and column always kept, so outline and
// ranges stay; a grid's kept points carry their blocks' extremes as
// coarsenGrid's do, so spikes and pits still show). When the view stops moving the full graph is drawn again, and
// every picture that is saved or handed on is always the full one.
//
// The record below is part of the view's render cache; the view keeps it up
// to date (view/viewPaint.cpp for the frames, view/viewChange.cpp for the
// moves). The free functions are the thinning rule and the thinned copy.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "data/graphData.h"
#include "render/mapping.h"
#include "render/scene.h"
#include "settings/graphSettings.h"
#include "settings/viewState.h"

namespace kelvra {

// Time one frame may take while the view moves: 30 frames per second.
inline constexpr double kFrameBudgetSeconds = 1.0 / 30.0;
// Without a further change for this long, a drag or a key counts as stopped.
inline constexpr int kSettleMilliseconds = 150;
// A reduced graph keeps at most a tenth of the points, and at least
// kMinReducedPoints, so that its shape still shows; a data set of fewer than
// ten times that many points is never reduced.
inline constexpr std::size_t kReducedShareDivisor = 10;
inline constexpr std::size_t kMinReducedPoints = 2500;

struct ReducedGraph {
    // Off (the desktop program's KELVRA_FULL_DETAIL): every frame is full.
    bool allowed = true;
    bool moving = false;              // a drag or a held arrow key is changing the view
    double fullFrameSeconds = 0.0;    // draw time of the last full frame painted; 0 when none since the build
    int fullFrameCoarsening = 1;      // grid points each point of it stood for (cells under a pixel; 1: all drawn)
    std::size_t targetPoints = 0;     // points list 120 is built for; 0: from the next build's frame time
    enum class List { NotBuilt, Built, NotWorthIt } list = List::NotBuilt;
    bool lastFrameReduced = false;    // what the window shows now
    int frames = 0;                   // frames painted, and how many of them reduced (tests count them)
    int reducedFrames = 0;
};

// Points the graph is drawn from: a grid's rows times columns, a list's points
// (bounded by what the buffer holds; 0 when nothing is loaded).
std::size_t graphPoints(const GraphData& d);

// How many points a reduced graph should keep so that, drawn in about half the
// budget, its frame fits the budget: the full graph's points in the proportion
// of that half to the full frame's time; never more than a tenth of the
// points, never fewer than kMinReducedPoints. All the points (no thinning)
// for a data set of fewer than ten times kMinReducedPoints.
std::size_t reducedPointTarget(std::size_t points, double fullFrameSeconds);

// The step of the thinning in each grid direction: the smallest whole step s
// with points / s^2 at or below the target (1: no thinning).
int thinningStep(std::size_t points, std::size_t targetPoints);

// Indices 0, step, 2 step, ... below count, then count - 1, and `alsoKeep`
// when it lies inside 0..count-1; ascending, each once. Empty for count < 1.
std::vector<int> keptIndices(int count, int step, int alsoKeep = -1);

// What a thinning keeps: grid rows and columns, or every listStep-th point of
// a list (the first and the last always).
struct Thinning {
    std::vector<int> rows, columns;   // grids
    std::size_t listStep = 1;         // other kinds
};

// The plan for a data set and a step; a grid keeps keepColumn and keepRow too
// (a section's column and row, or -1).
Thinning planThinning(const GraphData& d, int step, int keepColumn = -1, int keepRow = -1);

// Fills `out` with the kept points of `full` (values copied, the value ranges
// and the kind kept, so colours, arrow lengths and bar floors do not move).
// False when the memory cannot be had or there is nothing to keep.
bool thinData(const GraphData& full, const Thinning& plan, GraphData& out);

// ---- cells under a pixel ----------------------------------------------------------

// A grid whose cells project smaller than a pixel in both directions adds
// nothing the pixels can show: one picture (kelvra-render) draws it from a
// coarsened copy instead. `project` gives the screen position in pixels of a
// world position; the grid's world box runs over its first and last column
// and row and over world Z zLow..zHigh.
using ToPixel = std::function<void(const Vec3& world, double* x, double* y)>;

// The screen widths in pixels of the grid's widest cell along X (from column
// to column) and along Y (from row to row), its footprint whatever its
// height; 0 when the data is not a grid of three values per point or the
// size cannot be told.
struct CellPixels {
    double x = 0.0, y = 0.0;
    double widest() const { return x > y ? x : y; }
};
CellPixels cellPixels(const GraphData& d, const AxisMapping& map, double zLow, double zHigh, const ToPixel& project);

// The coarsening steps along X and Y: in each direction the largest whole
// step such that a block of x by y cells still projects within a pixel in
// both directions (taking the widest column and row spacing), or 1 where the
// cells are half a pixel or more or the grid is too small to gain (under 4
// steps of points in that direction, or under 8 points either way). A
// direction whose cells project to no width at all (seen end on) takes the
// other direction's step.
struct CoarseningSteps {
    int x = 1, y = 1;
    // About how many grid points each point of the coarsened copy stands for.
    int points() const { return x * y; }
};
CoarseningSteps subPixelSteps(const GraphData& d, const AxisMapping& map, double zLow, double zHigh,
                              const ToPixel& project);
CoarseningSteps subPixelSteps(const CellPixels& cell, const GraphData& d);

// The grid coarsened by `steps`: the columns and rows keptIndices keeps for
// steps.x and steps.y, each point standing for the block of points nearer to
// it than to its kept neighbours. A point takes its own Z, unless its block
// holds a Z that stands out above (or below) the Zs of the point and its four
// kept neighbours by more than those spread: then it takes that block maximum
// (or minimum; the further out of the two when both), so that a one-cell
// spike or pit still shows. A block holding a value that is not finite passes
// it on, so the hole stays a hole. Grids of three values per point only.
bool coarsenGrid(const GraphData& full, CoarseningSteps steps, GraphData& out);

// A graph's thinned copy: its own data set, settings and state, drawn through
// the same routines as the full graph, with the full graph's mapping and levels.
struct ThinnedGraph {
    GraphData data;
    GraphSettings settings;
    ViewState state;
};

// Fills `out` with the graph thinned by `step` both ways: a grid keeps the
// section's column or row in a section display (the section index then
// counts kept lines), else a grid of three values per point takes its
// blocks' extremes as coarsenGrid does; wire intervals shrink and bars grow
// by the step. False
// when the memory cannot be had or there is nothing to keep.
bool thinGraph(const GraphData& d, const GraphSettings& s, const ViewState& state, int step, ThinnedGraph& out);

}  // namespace kelvra
