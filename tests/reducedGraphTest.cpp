// The reduced graph of a moving view: the thinning keeps the first and last
// row and column and copies points exactly; a slow graph is drawn reduced
// only while a drag or a key moves the view; once the movement ends the
// window shows, pixel for pixel, the picture drawn without the reduced graph;
// every picture handed on during and after a drag is the full one; a section
// move during a drag leaves the full lists to the end of the movement.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "view/kelvraView.h"
#include "output/imageFiles.h"
#include "output/picture.h"
#include "settings/graphTypes.h"
#include "render/reducedGraph.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"

namespace kelvra {
namespace {

constexpr PixelSize kWindow{200, 160};

// ---- the thinning rule ----

TEST(ReducedGraphThinning, KeepsEvenStepsTheLastIndexAndTheOneAskedFor) {
    using V = std::vector<int>;
    EXPECT_EQ(keptIndices(10, 3), (V{0, 3, 6, 9}));
    EXPECT_EQ(keptIndices(11, 3), (V{0, 3, 6, 9, 10}));
    EXPECT_EQ(keptIndices(11, 3, 4), (V{0, 3, 4, 6, 9, 10}));
    EXPECT_EQ(keptIndices(11, 3, 6), (V{0, 3, 6, 9, 10}));    // already kept: once
    EXPECT_EQ(keptIndices(11, 3, 11), (V{0, 3, 6, 9, 10}));   // outside: ignored
    EXPECT_EQ(keptIndices(5, 100), (V{0, 4}));
    EXPECT_EQ(keptIndices(1, 4), (V{0}));
    EXPECT_TRUE(keptIndices(0, 4).empty());
}

TEST(ReducedGraphThinning, StepAndTargetKeepATenthAtMostAndFollowTheFrameTime) {
    // 1000 x 1000 points drawn in 0.4 s: about half the budget's share.
    const std::size_t million = 1000000;
    std::size_t slow = reducedPointTarget(million, 0.4);
    EXPECT_NEAR(double(slow), million * 0.5 / 30 / 0.4, 2.0);
    EXPECT_NEAR(double(reducedPointTarget(million, 0.8)), slow / 2.0, 2.0);
    // A graph only a little over the budget still keeps at most a tenth.
    EXPECT_EQ(reducedPointTarget(million, 0.04), million / 10);
    // A very slow frame keeps the floor; a small data set is not thinned,
    // however slow its frame (a frame's fixed cost is not the graph's).
    EXPECT_EQ(reducedPointTarget(million, 1000.0), kMinReducedPoints);
    EXPECT_EQ(reducedPointTarget(24999, 1000.0), 24999u);
    EXPECT_EQ(thinningStep(24999, reducedPointTarget(24999, 1000.0)), 1);
    EXPECT_EQ(reducedPointTarget(25000, 1000.0), 2500u);
    for (std::size_t target : {std::size_t(360), slow, kMinReducedPoints, million / 10}) {
        int s = thinningStep(million, target);
        EXPECT_LE(million / (double(s) * s), double(target)) << target;
        EXPECT_GT(million / (double(s - 1) * (s - 1)), double(target)) << target;
    }
    EXPECT_EQ(thinningStep(100, 100), 1);
    EXPECT_EQ(thinningStep(100, 0), 1);
}

TEST(ReducedGraphThinning, CopiesTheKeptPointsAndTheFullRanges) {
    test::GridView g;
    g.fill(7, 5, 0, 4, 0, 6, [](double x, double y) { return 10 * y + x; }, [](double x, double y) { return x * y; });
    g.view.data.valueRange[RangeZ] = {-3, 99};
    Thinning plan = planThinning(g.view.data, 3, /*keepColumn=*/-1, /*keepRow=*/4);
    EXPECT_EQ(plan.rows, (std::vector<int>{0, 3, 4, 6}));
    EXPECT_EQ(plan.columns, (std::vector<int>{0, 3, 4}));
    GraphData thin;
    ASSERT_TRUE(thinData(g.view.data, plan, thin));
    EXPECT_EQ(std::tie(thin.rowCount, thin.columnCount, thin.valuesPerPoint, thin.dataKind),
              std::tuple(4, 3, 4, Grid));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            const PointRecord p = thin.gridPointAt(r, c);
            const PointRecord q = g.view.data.gridPointAt(plan.rows[r], plan.columns[c]);
            EXPECT_TRUE(std::equal(p.v, p.v + 4, q.v)) << r << "," << c;
        }
    EXPECT_EQ(thin.valueRange[RangeZ].min, -3);
    EXPECT_EQ(thin.valueRange[RangeZ].max, 99);

    // A list of vectors: every step^2-th point, the last one too.
    GraphData list;
    list.dataKind = Vectors;
    list.valuesPerPoint = 6;
    list.pointCount = 11;
    list.pointValues.allocate(11 * 6);
    for (std::size_t i = 0; i < 11 * 6; ++i) list.pointValues[i] = double(i);
    list.valueRange[RangeVector] = {0, 7};
    list.dataLoaded = true;
    ASSERT_TRUE(thinData(list, planThinning(list, 2), thin));
    ASSERT_EQ(thin.pointCount, 4);   // points 0, 4, 8, 10
    const int kept[] = {0, 4, 8, 10};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(thin.point(k)[5], kept[k] * 6 + 5);
    EXPECT_EQ(thin.valueRange[RangeVector].max, 7);
    // Nothing loaded: nothing to thin.
    GraphData empty;
    EXPECT_FALSE(thinData(empty, planThinning(empty, 2), thin));
}

// ---- the moving view ----

// A 170 x 170 colour surface (just large enough to be thinned) with a floor projection, lines over it, in 3-D,
// with the legend and the axis indicator on. Paints go to the fixture's
// framebuffer as the window's would.
struct MovingView : test::GridView {
    MovingView() {
        host.setPictureSize(kWindow);
        host.printMessages = false;
        fill(170, 170, -1, 1, -1, 1, [](double x, double y) { return std::sin(3 * x) * std::cos(2 * y); });
        for (int a = 0; a < 2; ++a) scale(a, -1, 1, 0.5);
        scale(2, -1, 1, 0.5);
        scale(3, -1, 1, 3);   // 20 levels
        view.settings.graphType = GridFillLines;
        view.settings.xyContourMode = XyContourFillAndLines;
        view.settings.legendShow = 1;
        view.settings.axisShow = 1;
        view.layoutAnchoredOverlays();
        initGl();
        view.buildDisplayLists();
    }
    std::vector<unsigned char> paint() {
        view.paint(kWindow.width, kWindow.height);
        ImageBuffer image;
        EXPECT_TRUE(readPicture(kWindow.width, kWindow.height, &image));
        return image.pixels;
    }
    // The window's last full frame took longer than the budget.
    void pretendSlow() { view.lists.reduced.fullFrameSeconds = 1.0; }
    // A colour fill seen from above, without floor, legend or axis indicator.
    void plainFillFromAbove() {
        topView();
        view.settings.graphType = GridContourFill;
        view.settings.xyContourMode = XyContourNone;
        view.settings.legendShow = 0;
        view.settings.axisShow = 0;
        view.buildDisplayLists();
    }
    // The picture of a slow graph moved by a drag: one reduced frame.
    std::vector<unsigned char> reducedPicture() {
        pretendSlow();
        view.state.interactionMode = ModeMove;
        view.leftButtonDown(50, 50);
        view.mouseMove(50, 50);
        std::vector<unsigned char> pixels = paint();
        EXPECT_EQ(view.lists.reduced.reducedFrames, 1);
        view.leftButtonUp();
        return pixels;
    }
    // What the window shows with the reduced graph switched off, the lists built afresh.
    std::vector<unsigned char> fullPicture() {
        const bool allowed = view.lists.reduced.allowed;
        view.lists.reduced.allowed = false;
        view.buildDisplayLists();
        std::vector<unsigned char> pixels = paint();
        view.lists.reduced.allowed = allowed;
        return pixels;
    }
    std::vector<unsigned char> savedPicture() {
        std::optional<ImageBuffer> picture = view.renderPicture(shownPicture(kWindow));
        EXPECT_TRUE(picture);
        return picture ? picture->pixels : std::vector<unsigned char>{};
    }
};

int differing(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (std::size_t i = 0; i < a.size(); i += 4) n += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    return n;
}

TEST(ReducedGraph, DrawnOnlyWhileASlowGraphMovesAndNeverWhenSwitchedOff) {
    GL_TEST_REQUIRE_CONTEXT(kWindow.width, kWindow.height);
    MovingView g;
    CKelvraView& v = g.view;
    g.paint();
    EXPECT_GT(v.lists.reduced.fullFrameSeconds, 0.0);   // the frame's time is noted

    // Moving a graph that draws within the budget: full frames.
    v.lists.reduced.fullFrameSeconds = 0.01;
    v.keyDown(ArrowKey::Right);
    EXPECT_TRUE(v.lists.reduced.moving);
    EXPECT_EQ(g.host.settleWait, kSettleMilliseconds);
    v.lists.reduced.fullFrameSeconds = 0.01;
    g.paint();
    EXPECT_EQ(v.lists.reduced.reducedFrames, 0);

    // A slow one, held key: reduced frames until the key comes up.
    g.pretendSlow();
    g.paint();
    v.keyDown(ArrowKey::Right);
    g.paint();
    EXPECT_EQ(v.lists.reduced.reducedFrames, 2);
    EXPECT_TRUE(v.lists.reduced.lastFrameReduced);
    const int asked = g.host.invalidations;
    v.keyUp();
    EXPECT_FALSE(v.lists.reduced.moving);
    EXPECT_EQ(g.host.invalidations, asked + 1);   // the full picture is asked for
    g.paint();
    EXPECT_FALSE(v.lists.reduced.lastFrameReduced);
    v.keyUp();   // a second key-up asks for nothing
    EXPECT_EQ(g.host.invalidations, asked + 1);

    // Switched off: a slow graph moves in full detail.
    v.lists.reduced.allowed = false;
    g.pretendSlow();
    v.keyDown(ArrowKey::Right);
    g.paint();
    EXPECT_EQ(v.lists.reduced.reducedFrames, 2);
    v.keyUp();

    // A slow full frame drawn from a grid coarsened to the pixels (a grid too
    // large for a list) already draws fewer points than a reduced graph
    // would keep: it goes on being drawn while the view moves.
    v.lists.reduced.allowed = true;
    v.buildDisplayLists();
    g.pretendSlow();
    v.lists.reduced.fullFrameCoarsening = 400;
    v.keyDown(ArrowKey::Right);
    g.paint();
    EXPECT_EQ(v.lists.reduced.reducedFrames, 2);
    EXPECT_EQ(v.lists.reduced.list, ReducedGraph::List::NotWorthIt);
    v.keyUp();
}

TEST(ReducedGraph, AfterADragTheWindowAndTheSavedPictureAreTheFullPicture) {
    GL_TEST_REQUIRE_CONTEXT(kWindow.width, kWindow.height);
    MovingView g;
    CKelvraView& v = g.view;
    g.paint();
    g.pretendSlow();
    v.state.interactionMode = ModeRotate;
    v.leftButtonDown(50, 50);
    v.mouseMove(80, 60);
    const std::vector<unsigned char> reduced = g.paint();
    ASSERT_EQ(v.lists.reduced.reducedFrames, 1);
    EXPECT_EQ(v.lists.reduced.list, ReducedGraph::List::Built);
    const std::vector<unsigned char> savedDuring = g.savedPicture();
    v.leftButtonUp();
    const std::vector<unsigned char> after = g.paint();
    EXPECT_FALSE(v.lists.reduced.lastFrameReduced);
    const std::vector<unsigned char> savedAfter = g.savedPicture();

    const std::vector<unsigned char> full = g.fullPicture();
    EXPECT_GT(differing(reduced, full), 0) << "the drag did not draw the reduced graph";
    EXPECT_EQ(differing(after, full), 0);
    EXPECT_EQ(differing(savedDuring, full), 0);
    EXPECT_EQ(differing(savedAfter, full), 0);
}

// In the 2-D view from above, the reduced graph covers the same area as the
// full one (the first and last rows and columns are kept) in the same colours
// (the levels are the full data's).
TEST(ReducedGraph, CoversTheSameOutlineInTheSameColours) {
    GL_TEST_REQUIRE_CONTEXT(kWindow.width, kWindow.height);
    MovingView g;
    CKelvraView& v = g.view;
    g.plainFillFromAbove();
    struct Seen {
        int left = 1 << 30, right = -1, bottom = 1 << 30, top = -1;
        std::set<std::tuple<int, int, int>> colours;
    };
    auto look = [](const std::vector<unsigned char>& px) {
        Seen s;
        for (int y = 0; y < kWindow.height; ++y)
            for (int x = 0; x < kWindow.width; ++x) {
                const unsigned char* p = px.data() + (std::size_t(y) * kWindow.width + x) * 4;
                if (p[0] == 255 && p[1] == 255 && p[2] == 255) continue;
                s.left = std::min(s.left, x), s.right = std::max(s.right, x);
                s.bottom = std::min(s.bottom, y), s.top = std::max(s.top, y);
                s.colours.insert({p[0], p[1], p[2]});
            }
        return s;
    };
    const Seen full = look(g.paint());
    const Seen reduced = look(g.reducedPicture());
    EXPECT_EQ(std::tie(reduced.left, reduced.right, reduced.bottom, reduced.top),
              std::tie(full.left, full.right, full.bottom, full.top));
    for (const auto& c : reduced.colours)
        EXPECT_TRUE(full.colours.count(c)) << std::get<0>(c) << "," << std::get<1>(c) << "," << std::get<2>(c);
}

// A one-cell spike and a one-cell pit on a flat grid, on rows and columns the
// thinning does not keep, still show in the reduced graph, as in the full one.
TEST(ReducedGraph, KeepsOneCellSpikesAndPits) {
    GL_TEST_REQUIRE_CONTEXT(kWindow.width, kWindow.height);
    MovingView g;
    CKelvraView& v = g.view;
    g.fill(170, 170, -1, 1, -1, 1, [](double, double) { return 0.0; });
    v.data.point(86 * 170 + 42)[2] = 1.0;    // left half
    v.data.point(86 * 170 + 127)[2] = -1.0;  // right half
    g.plainFillFromAbove();
    // Pixels in each half of the graph neither white nor the flat grid's
    // colour (the most frequent other than white).
    auto odd = [](const std::vector<unsigned char>& px) {
        auto colour = [&](int x, int y) {
            const unsigned char* p = px.data() + (std::size_t(y) * kWindow.width + x) * 4;
            return std::tuple(p[0], p[1], p[2]);
        };
        const auto white = std::tuple<unsigned char, unsigned char, unsigned char>(255, 255, 255);
        std::map<std::tuple<unsigned char, unsigned char, unsigned char>, int> seen;
        for (int y = 0; y < kWindow.height; ++y)
            for (int x = 0; x < kWindow.width; ++x) ++seen[colour(x, y)];
        seen.erase(white);
        if (seen.empty()) return std::pair(0, 0);
        const auto flat = std::max_element(seen.begin(), seen.end(), [](auto& a, auto& b) { return a.second < b.second; });
        int left = 0, right = 0;
        for (int y = 0; y < kWindow.height; ++y)
            for (int x = 0; x < kWindow.width; ++x)
                if (colour(x, y) != white && colour(x, y) != flat->first) ++(x < kWindow.width / 2 ? left : right);
        return std::pair(left, right);
    };
    const auto full = odd(g.paint());
    ASSERT_GT(full.first, 0);
    ASSERT_GT(full.second, 0);
    const std::vector<unsigned char> reduced = g.reducedPicture();
    EXPECT_GT(odd(reduced).first, 0) << "the spike is gone";
    EXPECT_GT(odd(reduced).second, 0) << "the pit is gone";
}

// A section drag with the reduced graph on the screen rebuilds only the
// reduced list; the full one follows the section once the view settles.
TEST(ReducedGraph, SectionDragLeavesTheFullListsToTheEndOfTheMovement) {
    GL_TEST_REQUIRE_CONTEXT(kWindow.width, kWindow.height);
    MovingView g;
    CKelvraView& v = g.view;
    v.settings.displayMode = DisplayXSection;
    v.settings.graphType = SectionContourShape;   // the band and the cut surface beside it
    v.state.sectionIndexX = 20;
    v.buildDisplayLists();
    g.paint();
    g.pretendSlow();
    v.state.interactionMode = ModeSection;
    v.leftButtonDown(100, 100);
    v.mouseMove(100, 70);   // 30 pixels up: three columns on
    EXPECT_EQ(v.state.sectionIndexX, 23);
    EXPECT_FALSE(v.lists.graphListsBuilt);
    const std::vector<unsigned char> reduced = g.paint();
    ASSERT_EQ(v.lists.reduced.reducedFrames, 1);
    EXPECT_EQ(v.settings.sectionPos[0], v.data.gridPointAt(0, 23)[0]);

    // The settle call (no button-up yet): the full frame rebuilds the lists.
    const int asked = g.host.invalidations;
    v.viewSettled();
    EXPECT_EQ(g.host.invalidations, asked + 1);
    const std::vector<unsigned char> settled = g.paint();
    EXPECT_TRUE(v.lists.graphListsBuilt);
    v.leftButtonUp();

    const std::vector<unsigned char> full = g.fullPicture();
    EXPECT_GT(differing(reduced, full), 0);
    EXPECT_EQ(differing(settled, full), 0);
}

}  // namespace
}  // namespace kelvra
