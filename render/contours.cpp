// Contour fills and contour lines of grid data, on the surface or projected
// onto the floor of the scale box: the cell walk of contourCells.h and the four
// entry points the display-list builder calls inside list 100.
//
// Every grid point is mapped and levelled once per walk; the cells are cut
// into vertex batches in stripes of columns on every core, and the stripes
// are drawn in order from arrays. The time grows with cells times the levels
// each cell spans.
#include "render/contours.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "base/parallel.h"
#include "render/contourCells.h"
#include "render/feedbackState.h"
#include "render/graphSteps.h"

namespace kelvra {

namespace {

constexpr Rgb kWhite{1.0, 1.0, 1.0};

// A polygon of three or four finite corners; anything else is not drawn.
inline bool drawable(const CellPolygon& p) {
    if (p.count != 3 && p.count != 4) return false;
    for (int i = 0; i < p.count; ++i)
        if (!p.v[i]->finite) return false;
    return true;
}

inline int wrapIndex(int i, int m) { return i < 0 ? i + m : (i >= m ? i - m : i); }

// Polygon levels clamped into the colour table (levels from levelOf already are).
inline void clampedLevels(const CellPolygon& p, int n, int* K) {
    for (int i = 0; i < p.count; ++i) K[i] = std::clamp(p.v[i]->level, 0, n);
}

// A polygon in one level needs no cutting: three equal levels for a triangle,
// four for a quad (a quad from splitCell never has three equal levels).
inline bool oneLevel(const int* K, int m) {
    return K[0] == K[1] && K[1] == K[2] && (m == 3 || K[3] == K[0]);
}

// A point the walk reaches: a corner, or where the value crosses a level top.
struct WalkPoint {
    double x, y, z, value;
};

// The two chains of the level walk. Both start at the first lowest corner s;
// chain A runs backwards round the polygon, chain B forwards. step() advances
// one chain at level k: to its next corner when that corner is not above k
// (raising `hold` when the corner after it is), otherwise it stays and yields
// the point on the edge towards its next corner where the value reaches the top
// of level k.
class LevelWalk {
public:
    LevelWalk(const CellPolygon& p, const int* K, const LevelTable& levels)
        : p_(p), K_(K), m_(p.count), levels_(levels) {
        for (int i = 1; i < m_; ++i)
            if (K[i] < K[start_]) start_ = i;
        kmin_ = K[start_];
        kmax_ = *std::max_element(K, K + m_);
        next_[0] = wrapIndex(start_ - 1, m_);
        next_[1] = wrapIndex(start_ + 1, m_);
    }
    int start() const { return start_; }
    int kmin() const { return kmin_; }
    int kmax() const { return kmax_; }

    // chain 0 is A (backwards), 1 is B (forwards).
    WalkPoint step(int chain, int k, bool& hold, bool& crossed) {
        const int direction = chain == 0 ? -1 : 1;
        int n = next_[chain];
        const Corner& vn = *p_.v[n];
        if (K_[n] > k) {
            const Corner& vp = *p_.v[wrapIndex(n - direction, m_)];
            double t = levelCrossing(levels_, vn.value, vp.value, k);
            crossed = true;
            return {vn.x + (vp.x - vn.x) * t, vn.y + (vp.y - vn.y) * t, vn.z + (vp.z - vn.z) * t, 0.0};
        }
        next_[chain] = wrapIndex(n + direction, m_);
        if (K_[next_[chain]] > k) hold = true;
        crossed = false;
        return {vn.x, vn.y, vn.z, vn.value};
    }

private:
    const CellPolygon& p_;
    const int* K_;
    int m_;
    const LevelTable& levels_;
    int start_ = 0, kmin_ = 0, kmax_ = 0;
    int next_[2] = {0, 0};
};

}  // namespace

CellSplit splitCell(const Corner& c0, const Corner& c1, const Corner& c2, const Corner& c3) {
    const int b0 = c0.level, b1 = c1.level, b2 = c2.level, b3 = c3.level;
    CellSplit s;
    auto onC1C2 = [&] {
        s.polygon[0] = {{&c0, &c1, &c2, nullptr}, 3};
        s.polygon[1] = {{&c1, &c3, &c2, nullptr}, 3};
        s.count = 2;
    };
    auto onC0C3 = [&] {
        s.polygon[0] = {{&c0, &c1, &c3, nullptr}, 3};
        s.polygon[1] = {{&c0, &c3, &c2, nullptr}, 3};
        s.count = 2;
    };
    if ((b0 == b1 && b1 == b2) || (b1 == b2 && b2 == b3)) {
        onC1C2();
    } else if ((b0 == b1 && b1 == b3) || (b0 == b2 && b2 == b3)) {
        onC0C3();
    } else if (std::max(b0, b3) <= std::min(b1, b2) || std::max(b1, b2) <= std::min(b0, b3)) {
        if (std::fabs(c2.z - c1.z) < std::fabs(c3.z - c0.z)) onC1C2();
        else onC0C3();
    } else {
        s.polygon[0] = {{&c0, &c1, &c3, &c2}, 4};
        s.count = 1;
    }
    return s;
}

namespace {

// Where the level walk's strips go. Straight: one triangle strip each, every
// vertex in its colour. Cut: into the triangles GL makes of that strip
// (triangle i is v[i], v[i+1], v[i+2], its first two swapped when i is odd,
// coloured by v[i+2] under flat shading), each with its colour at all three
// corners, in the indexed triangle run of the batch (batched, or in a vector
// capture, see useFlatShading); triangles with two equal corners cover
// nothing and are left out.
class StripOut {
public:
    explicit StripOut(CellPaint& paint) : paint_(paint), out_(*paint.out), cut_(paint.batched || vectorCapture()) {
        out_.begin(cut_ ? GL_TRIANGLES : GL_TRIANGLE_STRIP, cut_);
    }
    StripOut(const StripOut&) = delete;
    StripOut& operator=(const StripOut&) = delete;

    void vertex(double x, double y, double z, const Rgb& color) {
        if (paint_.onFloor) z = paint_.floorZ;
        if (!cut_) {
            out_.vertex(x, y, z, color);
            out_.counted();
            return;
        }
        const Point c{x, y, z};
        if (count_ >= 2) {
            const Point& a = (count_ & 1) ? last_[1] : last_[0];
            const Point& b = (count_ & 1) ? last_[0] : last_[1];
            if (!(a == b || a == c || b == c)) {
                GLuint ia = out_.vertex(a.x, a.y, a.z, color);
                GLuint ib = out_.vertex(b.x, b.y, b.z, color);
                GLuint ic = out_.vertex(c.x, c.y, c.z, color);
                out_.indices(ia, ib, ic);
            }
        }
        last_[0] = last_[1];
        last_[1] = c;
        ++count_;
    }

private:
    struct Point {
        double x, y, z;
        bool operator==(const Point&) const = default;
    };
    CellPaint& paint_;
    VertexBatch& out_;
    bool cut_;
    Point last_[2] = {};
    int count_ = 0;
};

}  // namespace

void fillLevelPolygon(const CellPolygon& p, CellPaint& paint) {
    if (!drawable(p)) return;
    const int m = p.count;
    int K[4] = {0, 0, 0, 0};
    clampedLevels(p, paint.levelCount, K);
    StripOut out(paint);
    if (oneLevel(K, m)) {
        // Strip order of the polygon outline: V0, V1, V2 (and V3 before V2 in a quad).
        const Rgb& color = paint.colors[K[0]];
        out.vertex(p.v[0]->x, p.v[0]->y, p.v[0]->z, color);
        out.vertex(p.v[1]->x, p.v[1]->y, p.v[1]->z, color);
        if (m == 4) out.vertex(p.v[3]->x, p.v[3]->y, p.v[3]->z, color);
        out.vertex(p.v[2]->x, p.v[2]->y, p.v[2]->z, color);
        return;
    }
    LevelWalk walk(p, K, *paint.levels);
    const Corner& s = *p.v[walk.start()];
    out.vertex(s.x, s.y, s.z, paint.colors[walk.kmin()]);
    bool hold = true;
    for (int k = walk.kmin(); k <= walk.kmax();) {
        for (int chain = 0; chain < 2; ++chain) {
            bool crossed;
            WalkPoint w = walk.step(chain, k, hold, crossed);
            out.vertex(w.x, w.y, w.z, paint.colors[k]);
        }
        if (!hold) ++k;
        hold = false;
    }
}

void traceLevelLines(const CellPolygon& p, CellPaint& paint) {
    if (!drawable(p)) return;
    const int m = p.count;
    const int n = paint.levelCount;
    int K[4] = {0, 0, 0, 0};
    clampedLevels(p, n, K);
    if (oneLevel(K, m)) return;
    const LevelTable& levels = *paint.levels;
    const double tol = 0.01 * levels.levelStep;
    LevelWalk walk(p, K, levels);
    WalkPoint end[2];
    bool hold = true;
    for (int k = walk.kmin(); k <= walk.kmax();) {
        const double top = levels.levelBase + k * levels.levelStep;
        for (int chain = 0; chain < 2; ++chain) {
            bool crossed;
            end[chain] = walk.step(chain, k, hold, crossed);
            if (crossed) end[chain].value = top;
        }
        if (!hold) {
            if (std::fabs(end[0].value - end[1].value) < tol && std::fabs(top - end[1].value) < tol && k != n) {
                // Batched: the same segment in the batch's GL_LINES run.
                VertexBatch& out = *paint.out;
                out.begin(paint.batched ? GL_LINES : GL_LINE_STRIP);
                const Rgb& color = paint.colors[k];
                for (const WalkPoint& e : end) {
                    out.vertex(e.x, e.y, paint.onFloor ? paint.floorZ : e.z, color);
                    out.counted();
                }
            }
            ++k;
        }
        hold = false;
    }
}

void fillHiddenPolygon(const CellPolygon& p, CellPaint& paint) {
    if (!drawable(p)) return;
    if (p.count == 3) {
        const bool onFloor = paint.onFloor;
        paint.onFloor = false;
        {
            StripOut out(paint);
            for (int i : {0, 1, 2}) out.vertex(p.v[i]->x, p.v[i]->y, p.v[i]->z, kWhite);
        }
        paint.onFloor = onFloor;
        return;
    }
    // A quad: the level walk, all white (a quad in one level is one strip there).
    static const std::array<Rgb, kMaxLevelCount + 1> white = [] {
        std::array<Rgb, kMaxLevelCount + 1> a;
        a.fill(kWhite);
        return a;
    }();
    const Rgb* colors = paint.colors;
    const bool onFloor = paint.onFloor;
    paint.colors = white.data();
    paint.onFloor = false;
    fillLevelPolygon(p, paint);
    paint.colors = colors;
    paint.onFloor = onFloor;
}

namespace {

bool batching = true;

// Cells per stripe of drawGridCells: enough to make the hand-over to the GL
// thread cheap, few enough that the batches in hand stay a few MB when every
// cell crosses many levels (random data: ten times a smooth cell's vertices;
// 32 768 cells a stripe held 530 MB for a 400 x 250 grid).
constexpr long long kCellsPerStripe = 4096;

// A triangle strip given to an indexed triangle run as the triangles GL makes
// of it (the first two corners of every odd one swapped), sharing vertices.
class IndexedStrip {
public:
    explicit IndexedStrip(VertexBatch& out) : out_(out) {}
    void restart() { count_ = 0; }
    void add(GLuint v) {
        if (count_ >= 2) {
            if (count_ & 1) out_.indices(last_[1], last_[0], v);
            else out_.indices(last_[0], last_[1], v);
        }
        last_[0] = last_[1];
        last_[1] = v;
        ++count_;
    }

private:
    VertexBatch& out_;
    GLuint last_[2] = {0, 0};
    int count_ = 0;
};

// A polygon across this many level tops or more, in a grid whose cells are
// at most kBandedCellPixels wide on the screen, is filled from the band
// texture: cut at every level, a cell of rough data (a pixel wide and a
// hundred tall, across every level) became a dozen triangles of a few pixels
// each, and the software rasteriser spent its time setting them up. In cells
// that narrow, where a quad's band edges bend (see fillBanded) moves a few
// pixels of a picture at most.
constexpr int kBandedSpan = 3;
constexpr double kBandedCellPixels = 1.0;

bool banded(const CellPolygon& p, const CellPaint& paint) {
    if (paint.bandScale == 0.0 || !drawable(p)) return false;
    int low = p.v[0]->level, high = low;
    for (int i = 1; i < p.count; ++i) {
        low = std::min(low, p.v[i]->level);
        high = std::max(high, p.v[i]->level);
    }
    return high - low >= kBandedSpan;
}

// The polygon as its triangles, each pixel taking the band its interpolated
// value lies in. A triangle's band edges are where the walk cuts it; a quad's
// are straight across it in the walk and bend at the diagonal here.
void fillBanded(const CellPolygon& p, CellPaint& paint) {
    VertexBatch& out = *paint.out;
    std::vector<GLuint>& triangles = *paint.banded;
    const double base = paint.levels->levelBase;
    GLuint v[4];
    for (int i = 0; i < p.count; ++i) {
        const Corner& c = *p.v[i];
        const int k = std::clamp(c.level, 0, paint.levelCount);
        v[i] = out.bandVertex(c.x, c.y, paint.onFloor ? paint.floorZ : c.z, float((c.value - base) * paint.bandScale),
                              paint.colors[k]);
    }
    if (p.count == 3) {
        triangles.insert(triangles.end(), {v[0], v[1], v[2]});
        return;
    }
    // The quad c0, c1, c3, c2 on the diagonal whose ends differ less in value:
    // the walk's band edges run straight from one chain to the other, and
    // on that diagonal they bend only over the values between its ends.
    if (std::fabs(p.v[3]->value - p.v[1]->value) < std::fabs(p.v[2]->value - p.v[0]->value))
        triangles.insert(triangles.end(), {v[0], v[1], v[3], v[1], v[2], v[3]});
    else
        triangles.insert(triangles.end(), {v[0], v[1], v[2], v[0], v[2], v[3]});
}

// Binds the band texture of levels 1..n for fillBanded; returns the scale
// of its coordinate, 0 when bands cannot be taken from it: a vector capture
// (which sees no textures), or crossings that are not linear in the value
// (a log Z axis with a linear legend, or the reverse).
double beginBandTexture(const LevelTable& levels, const Rgb* colors, int n) {
    if (vectorCapture() || levels.logZ != levels.logLegend || n < 1) return 0.0;
    if (!(levels.levelStep > 0.0) || !std::isfinite(levels.levelBase)) return 0.0;
    const double scale = 1.0 / (levels.levelStep * n);
    if (!std::isfinite(scale) || scale == 0.0) return 0.0;
    std::array<float, 3 * kMaxLevelCount> texels{};
    for (int k = 1; k <= n; ++k) {
        texels[std::size_t(3 * (k - 1))] = float(colors[k].r);
        texels[std::size_t(3 * (k - 1) + 1)] = float(colors[k].g);
        texels[std::size_t(3 * (k - 1) + 2)] = float(colors[k].b);
    }
    glPushAttrib(GL_TEXTURE_BIT | GL_ENABLE_BIT);
    glBindTexture(GL_TEXTURE_1D, 0);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB8, n, 0, GL_RGB, GL_FLOAT, texels.data());
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    return scale;
}

void endBandTexture(double scale) {
    if (scale != 0.0) glPopAttrib();
}

// One column of cells for the batched fill. A run of neighbouring cells whose
// four corners share one level is one shared-vertex strip L0, R0, L1, R1, ...
// (left and right corners of each row): per cell the two triangles splitCell
// gives it on the c1-c2 diagonal, in the level's colour, two vertices per cell
// instead of six. Any other cell goes through the level walk. All of it goes
// into one indexed triangle run, in the order GL drew the strips and
// triangles. Cells with a non-finite corner are skipped.
void fillColumnBatched(const Corner* left, const Corner* right, int cells, CellPaint& paint) {
    VertexBatch& out = *paint.out;
    out.begin(GL_TRIANGLES, true);
    IndexedStrip strip(out);
    int stripEnd = -1;   // the row after the strip's last cell
    int stripLevel = -1;
    auto vertex = [&](const Corner& c, const Rgb& color) {
        strip.add(out.vertex(c.x, c.y, paint.onFloor ? paint.floorZ : c.z, color));
    };
    for (int j = 0; j < cells; ++j) {
        const Corner& c0 = left[j];
        const Corner& c1 = left[j + 1];
        const Corner& c2 = right[j];
        const Corner& c3 = right[j + 1];
        if (!(c0.finite && c1.finite && c2.finite && c3.finite)) continue;
        const int level = c0.level;
        if (c1.level == level && c2.level == level && c3.level == level) {
            const int k = std::clamp(level, 0, paint.levelCount);
            const Rgb& color = paint.colors[k];
            if (stripEnd == j && stripLevel == k) {
                vertex(c1, color);
                vertex(c3, color);
            } else {
                strip.restart();
                stripLevel = k;
                vertex(c0, color);
                vertex(c2, color);
                vertex(c1, color);
                vertex(c3, color);
            }
            stripEnd = j + 1;
            continue;
        }
        stripEnd = -1;
        CellSplit split = splitCell(c0, c1, c2, c3);
        for (int p = 0; p < split.count; ++p) {
            if (banded(split.polygon[p], paint)) fillBanded(split.polygon[p], paint);
            else fillLevelPolygon(split.polygon[p], paint);
        }
    }
}

}  // namespace

void setCellBatching(bool on) { batching = on; }
bool cellBatching() { return batching; }

CellRange wholeGrid(const GraphData& d) {
    return {0, d.columnCount - 1, 0, d.rowCount - 1};
}

double floorZ(const GraphSettings& s, const AxisMapping& map) {
    return map.world(2, s.scaleReverse[2] == 1 ? s.scaleMax[2] : s.scaleMin[2]);
}

void drawGridCells(const DrawInput& in, const Rgb* colors, int levelCount,
                   const CellRange& range, bool onFloor, CellDrawer drawer) {
    useFlatShading();
    const BuildContext& ctx = in.ctx;
    GridPoints grid(in);
    if (!grid.ready() || levelCount <= 0) return;
    const int firstColumn = std::max(range.firstColumn, 0);
    const int endColumn = std::min(range.endColumn, grid.columns() - 1);
    const int firstRow = std::max(range.firstRow, 0);
    const int endRow = std::min(range.endRow, grid.rows() - 1);
    if (firstColumn >= endColumn || firstRow >= endRow) return;

    std::array<Rgb, kMaxLevelCount + 1> single;
    if (drawer == CellDrawer::SingleColorLines) {
        single.fill(in.settings.contour2Color);
        colors = single.data();
        levelCount = std::min(levelCount, kMaxLevelCount);
    }
    const bool projected = onFloor && drawer != CellDrawer::HiddenFill;
    const double floor = projected ? floorZ(in.settings, ctx.map) : 0.0;
    if (!std::isfinite(floor)) return;   // a log Z axis whose floor is at or below zero
    const bool lines = drawer == CellDrawer::LevelLines || drawer == CellDrawer::SingleColorLines;
    if (lines) setLineWidth(in.settings.contour2Width);

    // Batched, a column of cells is one run of triangles or segments
    // (fillColumnBatched for the fill) instead of one primitive per polygon:
    // the same triangles in the same colours, far quicker to draw and smaller
    // in a list. Stripes of neighbouring columns are made on every core, each
    // reading its corners a row at a time (a column alone would take one point
    // from each row, a cache miss per point on a large grid).
    const bool batched = cellBatching();
    const bool bandable = batched && drawer == CellDrawer::FillLevels && ctx.cellPixels > 0.0 &&
                          ctx.cellPixels <= kBandedCellPixels;
    const double bandScale = bandable ? beginBandTexture(ctx.levels, colors, levelCount) : 0.0;
    const int pointRows = endRow - firstRow + 1;
    const int perStripe = int(std::clamp<long long>(kCellsPerStripe / (pointRows - 1), 1, endColumn - firstColumn));
    const std::size_t stripes = std::size_t((endColumn - firstColumn + perStripe - 1) / perStripe);
    drawBatchesInOrder(stripes, [&](std::size_t stripe, VertexBatch& out) {
        const int first = firstColumn + int(stripe) * perStripe;
        const int count = std::min(perStripe, endColumn - first);
        std::vector<Corner> block(std::size_t(count + 1) * std::size_t(pointRows));
        grid.columns(first, count + 1, firstRow, endRow, block.data());
        CellPaint paint(ctx.levels, colors, levelCount, out);
        paint.onFloor = projected;
        paint.floorZ = floor;
        paint.batched = batched;
        paint.bandScale = bandScale;
        std::vector<GLuint> bandedTriangles;
        paint.banded = &bandedTriangles;
        out.banded = bandScale != 0.0;
        for (int k = 0; k < count; ++k) {
            const Corner* left = block.data() + std::size_t(k) * std::size_t(pointRows);
            const Corner* right = left + pointRows;
            if (batched && drawer == CellDrawer::FillLevels) {
                fillColumnBatched(left, right, pointRows - 1, paint);
                continue;
            }
            for (int j = 0; j + 1 < pointRows; ++j) {
                const Corner& c0 = left[j];
                const Corner& c1 = left[j + 1];
                const Corner& c2 = right[j];
                const Corner& c3 = right[j + 1];
                if (!(c0.finite && c1.finite && c2.finite && c3.finite)) continue;
                CellSplit split = splitCell(c0, c1, c2, c3);
                for (int p = 0; p < split.count; ++p) {
                    switch (drawer) {
                        case CellDrawer::FillLevels: fillLevelPolygon(split.polygon[p], paint); break;
                        case CellDrawer::LevelLines:
                        case CellDrawer::SingleColorLines: traceLevelLines(split.polygon[p], paint); break;
                        case CellDrawer::HiddenFill: fillHiddenPolygon(split.polygon[p], paint); break;
                    }
                }
            }
        }
        if (!bandedTriangles.empty()) {
            out.begin(GL_TRIANGLES, true, true);
            out.index.insert(out.index.end(), bandedTriangles.begin(), bandedTriangles.end());
            out.runs.back().count += std::uint32_t(bandedTriangles.size());
        }
    });
    endBandTexture(bandScale);
}

void drawContourFill(const DrawInput& in, bool onFloor) {
    drawGridCells(in, in.ctx.levels.colors, in.ctx.levels.levelCount, wholeGrid(in.data), onFloor,
                  CellDrawer::FillLevels);
}

void drawGreyContourFill(const DrawInput& in, bool onFloor) {
    drawGridCells(in, in.ctx.greys, in.ctx.greyCount, wholeGrid(in.data), onFloor, CellDrawer::FillLevels);
}

void drawContourLines(const DrawInput& in, bool coloured, bool onFloor) {
    drawGridCells(in, in.ctx.levels.colors, in.ctx.levels.levelCount, wholeGrid(in.data), onFloor,
                  coloured ? CellDrawer::LevelLines : CellDrawer::SingleColorLines);
}

void drawContourHiddenFill(const DrawInput& in) {
    beginOffsetFill();
    drawGridCells(in, in.ctx.levels.colors, in.ctx.levels.levelCount, wholeGrid(in.data), false,
                  CellDrawer::HiddenFill);
    endOffsetFill();
}

}  // namespace kelvra
