// Picking: reading the selection buffer (with its limit and an overflow), the
// lines the selected-data window collects, the marker cube; then whole picks
// through a real GL context at the pixel where the camera shows a point, in
// 3-D, 2-D and both section views, on reversed and logarithmic axes, for
// grids, scattered points and vectors.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/cp932.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "interact/pickResult.h"
#include "support/drawInput.h"
#include "support/camera.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"
#include "support/handMadeData.h"

namespace kelvra {
namespace {

// ---- the selection buffer ----

// One record per name list: count, two depths, the names.
std::vector<std::uint32_t> records(const std::vector<std::vector<std::uint32_t>>& names) {
    std::vector<std::uint32_t> words;
    for (const auto& r : names) {
        words.push_back(std::uint32_t(r.size()));
        words.push_back(0x10000000u);
        words.push_back(0x20000000u);
        words.insert(words.end(), r.begin(), r.end());
    }
    return words;
}

TEST(SelectHits, NamesOfEveryRecordInBufferOrderWithoutTheNoPointName) {
    auto words = records({{12}, {kNoPointName, 3}, {}, {0, 9}});
    PickHits hits = readSelectHits(words, 4);
    EXPECT_FALSE(hits.tooMany);
    EXPECT_EQ(hits.names, (std::vector<std::uint32_t>{12, 3, 0, 9}));
    // Only as many records as the count says.
    EXPECT_EQ(readSelectHits(words, 1).names, (std::vector<std::uint32_t>{12}));
    EXPECT_TRUE(readSelectHits(words, 0).names.empty());
}

TEST(SelectHits, MoreThanTheLimitOrAnOverflowIsRefusedAndNeverRead) {
    std::vector<std::vector<std::uint32_t>> many(kPickHitLimit + 1, std::vector<std::uint32_t>{6});
    auto words = records(many);
    ASSERT_EQ(words.size(), kSelectBufferWords);   // the buffer holds one record over the limit
    PickHits over = readSelectHits(words, kPickHitLimit + 1);
    EXPECT_TRUE(over.tooMany);
    EXPECT_TRUE(over.names.empty());
    PickHits limit = readSelectHits(words, kPickHitLimit);
    EXPECT_FALSE(limit.tooMany);
    EXPECT_EQ(limit.names.size(), std::size_t(kPickHitLimit));
    // glRenderMode answers -1 when the records did not fit.
    PickHits overflow = readSelectHits(words, -1);
    EXPECT_TRUE(overflow.tooMany);
    EXPECT_TRUE(overflow.names.empty());
}

TEST(SelectHits, ARecordRunningPastTheBufferEndsTheReading) {
    // The second record claims 50 names; the buffer ends after two. Exact
    // sizes, so the sanitizer build sees any word read past the end.
    std::vector<std::uint32_t> words = {1, 0, 0, 21, 50, 0, 0, 33, 34};
    EXPECT_EQ(readSelectHits(words, 2).names, (std::vector<std::uint32_t>{21}));
    std::vector<std::uint32_t> cut = {1, 0};
    EXPECT_TRUE(readSelectHits(cut, 1).names.empty());
    EXPECT_TRUE(readSelectHits({}, 3).names.empty());
}

// ---- the selected-data text ----

struct TextView {
    HeadlessHost host;
    CKelvraView view{host};
    TextView() {
        host.printMessages = false;
        // Each kind its own format, so a value written with the wrong kind shows.
        view.settings.scaleFormat[0] = FormatInteger;
        view.settings.scaleFormat[1] = FormatDecimal;
        view.settings.scaleDigits[1] = 1;
        view.settings.scaleFormat[2] = FormatExponent;
        view.settings.scaleDigits[2] = 2;
        view.settings.scaleFormat[3] = FormatDecimal;
        view.settings.scaleDigits[3] = 4;
    }
};

TEST(SelectedText, EachKindOfPointWritesItsLinesWithTheFormatsOfItsAxes) {
    const struct {
        int valuesPerPoint;
        std::vector<double> values;
        const char* expected;
    } cases[] = {
        {3, {2.9999999, -2.25, 1234.5}, "X = 3  Y = -2.2  Z = 1.23e+03"},
        {4, {0, 0.05, -0.5, 7.25}, "X = 0  Y = 0.1  Z = -5.00e-01\r\nDATA = 7.2500"},
        {6, {3, 4, 5, 0.5, -1, 2e-5}, "X = 3  Y = 4.0  Z = 5.00e+00\r\nVx = 0.5000  Vy = -1.0000  Vz = 0.0000"},
        {7, {3, 4, 5, 1, 2, 3, -9.125},
         "X = 3  Y = 4.0  Z = 5.00e+00\r\nVx = 1.0000  Vy = 2.0000  Vz = 3.0000\r\nDATA = -9.1250"},
    };
    for (const auto& c : cases) {
        TextView t;
        // Two points; the second one is picked.
        std::vector<double> first(c.values.size(), 0.0);
        test::fillPoints(t.view, Scattered, c.valuesPerPoint, {first, c.values});
        SelectedText s;
        ASSERT_TRUE(appendPickedPoint(s, t.view.settings, t.view.data, std::size_t(c.valuesPerPoint))) << c.valuesPerPoint;
        EXPECT_EQ(s.text, c.expected);
        int lines = 1;
        for (std::size_t at = 0; (at = s.text.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
        EXPECT_EQ(s.lineCount, lines) << c.valuesPerPoint;
    }
}

TEST(SelectedText, APickAfterAnotherComesAfterABlankLineAndBadNamesAddNothing) {
    TextView t;
    test::fillPoints(t.view, Scattered, 4, {{1, 2, 3, 4}, {5, 6, 7, 8}});
    SelectedText s;
    ASSERT_TRUE(appendPickedPoint(s, t.view.settings, t.view.data, 0));
    ASSERT_TRUE(appendPickedPoint(s, t.view.settings, t.view.data, 4));
    EXPECT_EQ(s.text, "X = 1  Y = 2.0  Z = 3.00e+00\r\nDATA = 4.0000\r\n\r\n"
                      "X = 5  Y = 6.0  Z = 7.00e+00\r\nDATA = 8.0000");
    EXPECT_EQ(s.lineCount, 5);
    // Not the first value of a point, past the end, the no-point name.
    for (std::size_t bad : {std::size_t(2), std::size_t(8), std::size_t(kNoPointName)}) {
        EXPECT_FALSE(appendPickedPoint(s, t.view.settings, t.view.data, bad)) << bad;
        EXPECT_FALSE(pickedPoint(t.view.data, bad)) << bad;
    }
    EXPECT_EQ(s.lineCount, 5);
    t.view.clearSelectedText();
    EXPECT_TRUE(t.view.state.selectedText.text.empty());
    EXPECT_EQ(t.view.state.selectedText.lineCount, 0);
}

// ---- the marker cube ----

TEST(PickMarker, CentredWhereTheGraphDrawsThePointAndSizedInPixels) {
    HeadlessHost host;
    CKelvraView v{host};
    test::setScale(v, 0, 0, 10);
    test::setScale(v, 1, 1, 1000);
    test::setScale(v, 2, -5, 5);
    v.settings.scaleLog[1] = 1;
    v.settings.scaleReverse[0] = 1;
    const double xyz[3] = {2.5, 10, 5};
    auto box = pickMarkerBox(v.settings, graphMapping(v.settings, v.state.axisSpan), xyz);
    ASSERT_TRUE(box);
    // Mirrored X: 2.5 of 0..10 lands a quarter from the right end.
    EXPECT_NEAR(box->centre.x, 0.25, 1e-12);
    // ln 10 is a third of ln 1 .. ln 1000.
    EXPECT_NEAR(box->centre.y, -0.5 + 1.0 / 3.0, 1e-12);
    EXPECT_NEAR(box->centre.z, 0.5, 1e-12);
    // pointSize / 2 + 2 pixels at any zoom; a pixel is 1 / (2 * zoom) world units.
    for (int zoom : {100, 250, 10}) {
        v.settings.viewZoom = zoom;
        v.settings.pointSize = 7;
        auto b = pickMarkerBox(v.settings, graphMapping(v.settings, v.state.axisSpan), xyz);
        EXPECT_NEAR(b->half * 2 * zoom, 7 / 2.0 + 2, 1e-9) << zoom;
    }

    // A flat Z range puts the marker at z = 0, also on a logarithmic Z axis
    // where the value has no logarithm.
    test::setScale(v, 2, 3, 3);
    v.settings.scaleLog[2] = 1;
    const double below[3] = {5, 100, -4};
    auto flat = pickMarkerBox(v.settings, graphMapping(v.settings, v.state.axisSpan), below);
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->centre.z, 0.0);
    // Without a place there is no marker.
    const double noLog[3] = {5, -1, 3};
    EXPECT_FALSE(pickMarkerBox(v.settings, graphMapping(v.settings, v.state.axisSpan), noLog));
}

// The squares and uprights together are the twelve edges of the cube, each
// once: corner to corner along one axis.
TEST(PickMarker, TheLinesAreTheTwelveEdgesOfTheCube) {
    const Vec3 c{1, 2, 3};
    PickMarkerEdges e = pickMarkerEdges({c, 0.5});
    std::vector<std::pair<Vec3, Vec3>> edges;
    for (const auto& square : e.squares)
        for (int k = 0; k < 4; ++k) edges.push_back({square[k], square[k + 1]});
    for (const auto& upright : e.verticals) edges.push_back({upright[0], upright[1]});
    std::set<std::vector<double>> distinct;
    for (auto [a, b] : edges) {
        for (const Vec3& p : {a, b})
            EXPECT_TRUE(std::fabs(p.x - c.x) == 0.5 && std::fabs(p.y - c.y) == 0.5 && std::fabs(p.z - c.z) == 0.5);
        int axesMoved = (a.x != b.x) + (a.y != b.y) + (a.z != b.z);
        EXPECT_EQ(axesMoved, 1);
        std::vector<double> key = {a.x, a.y, a.z, b.x, b.y, b.z};
        if (std::tie(a.x, a.y, a.z) > std::tie(b.x, b.y, b.z)) key = {b.x, b.y, b.z, a.x, a.y, a.z};
        distinct.insert(key);
    }
    EXPECT_EQ(distinct.size(), 12u);
}

// ---- whole picks in a GL context ----

constexpr int kSide = 400;
const PixelSize kClient{kSide, kSide};
const test::Pixel kCyan{0, 204, 204};

// A 5 x 4 grid, X 0..4 (columns), Y 1, 10, 100, 1000 (rows), Z = X + row,
// drawn as coloured points, painted once as the window would.
struct PickView : test::GridView {
    PickView() {
        fill(4, 5, 0, 4, 0, 3, [](double x, double y) { return x + y; });
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 5; ++c) view.data.point(std::size_t(r) * 5 + c)[1] = std::pow(10.0, r);
        scale(0, 0, 4, 1);
        scale(1, 1, 1000, 10);
        scale(2, 0, 7, 1);
        scale(3, 0, 7, 3);
        for (double& p : view.settings.scaleSizePercent) p = 100;
        view.settings.scaleLog[1] = 1;
        view.settings.graphType = 14;   // 点(ｶﾗｰ)
        view.state.interactionMode = ModePick;
    }
    void paint() {
        initGl();
        view.paint(kSide, kSide);
    }
    test::ClientPoint at(int row, int column) {
        return test::clientPointOf(view, kClient, view.data.point(std::size_t(row) * 5 + column));
    }
    void click(test::ClientPoint p) { view.leftButtonDown(p.px(), p.py()); }
    // Cyan pixels within `reach` pixels of a client point, in the picture
    // drawn now.
    int cyanAround(test::ClientPoint p, int reach = 8) {
        paint();
        int n = 0;
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) n += test::pixelAt(p.px() + dx, kSide - 1 - p.py() + dy) == kCyan;
        return n;
    }
};

// Z is X + row unless the test set it.
std::string pickedLine(int row, int column, int z = -1) {
    char line[96];
    std::snprintf(line, sizeof line, "X = %d.000  Y = %s  Z = %d.000", column,
                  row == 0 ? "1.000" : row == 1 ? "10.00" : row == 2 ? "100.0" : "1.000e+03",
                  z < 0 ? row + column : z);
    return line;
}

TEST(Pick, AClickOnAPointMarksItAndAddsItsValuesAClickBetweenPointsChangesNothing) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    PickView g;
    g.paint();
    g.click(g.at(2, 3));
    EXPECT_EQ(cp932ToUtf8(g.view.state.selectedText.text), pickedLine(2, 3));
    EXPECT_TRUE(g.view.state.pickMarkersShown);
    EXPECT_EQ(g.host.selectedDataShows, 1);
    EXPECT_TRUE(g.host.messages.empty());
    EXPECT_GT(g.cyanAround(g.at(2, 3)), 12);
    EXPECT_EQ(g.cyanAround(g.at(0, 0)), 0);

    // Half-way between two points of a row, 25 pixels from each.
    test::ClientPoint a = g.at(1, 1), b = g.at(1, 2);
    int invalidations = g.host.invalidations;
    g.click({(a.x + b.x) / 2, (a.y + b.y) / 2});
    EXPECT_EQ(cp932ToUtf8(g.view.state.selectedText.text), pickedLine(2, 3));
    EXPECT_TRUE(g.view.state.pickMarkersShown);
    EXPECT_EQ(g.host.selectedDataShows, 1);
    EXPECT_EQ(g.host.invalidations, invalidations);

    // A second point: a blank line, then its line; the marker moves.
    g.click(g.at(0, 4));
    EXPECT_EQ(cp932ToUtf8(g.view.state.selectedText.text), pickedLine(2, 3) + "\r\n\r\n" + pickedLine(0, 4));
    EXPECT_EQ(g.view.state.selectedText.lineCount, 3);
    EXPECT_GT(g.cyanAround(g.at(0, 4)), 12);
    EXPECT_EQ(g.cyanAround(g.at(2, 3)), 0);

    // Outside pick mode a button-down hides the marker and keeps the text; so
    // does a scale recompute.
    g.view.state.interactionMode = ModeRotate;
    g.view.leftButtonDown(10, 10);
    g.view.leftButtonUp();
    EXPECT_FALSE(g.view.state.pickMarkersShown);
    EXPECT_EQ(g.cyanAround(g.at(0, 4)), 0);
    EXPECT_EQ(g.view.state.selectedText.lineCount, 3);
    g.view.state.interactionMode = ModePick;
    g.click(g.at(3, 1));
    ASSERT_TRUE(g.view.state.pickMarkersShown);
    test::recompute(g.view, true);
    EXPECT_FALSE(g.view.state.pickMarkersShown);
}

// A hole (a missing Z) is no point: a click where it would be picks nothing.
TEST(Pick, AHoleIsNeverPicked) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    PickView g;
    const test::ClientPoint where = g.at(2, 3);
    g.view.data.point(2 * 5 + 3)[2] = NAN;
    g.paint();
    g.click(where);
    EXPECT_TRUE(g.view.state.selectedText.text.empty()) << cp932ToUtf8(g.view.state.selectedText.text);
    EXPECT_FALSE(g.view.state.pickMarkersShown);
    g.click(g.at(2, 2));
    EXPECT_EQ(cp932ToUtf8(g.view.state.selectedText.text), pickedLine(2, 2));
}

// Every view the user can pick in, each point found where the camera shows it.
TEST(Pick, FindsThePointUnderTheMouseInEveryDisplayAndOnReversedAndLogAxes) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    const struct {
        const char* name;
        void (*set)(CKelvraView&);
        int row, column;
        int z = -1;
    } cases[] = {
        {"3-D, default camera", [](CKelvraView&) {}, 1, 3},
        {"3-D, moved, zoomed and turned", [](CKelvraView& v) {
             v.settings.viewPosX = -30; v.settings.viewPosY = 20; v.settings.viewZoom = 120; v.settings.viewAngleX = 320; v.settings.viewAngleZ = 200;
         }, 3, 0},
        {"3-D, reversed Z", [](CKelvraView& v) { v.settings.scaleReverse[2] = 1; }, 2, 4},
        {"2-D, reversed X, log Y", [](CKelvraView& v) {
             v.settings.displayMode = Display2D; v.settings.viewAngleX = 0; v.settings.viewAngleZ = 0; v.settings.scaleReverse[0] = 1;
         }, 1, 1},
        {"2-D, reversed Y", [](CKelvraView& v) {
             v.settings.displayMode = Display2D; v.settings.viewAngleX = 0; v.settings.viewAngleZ = 0; v.settings.scaleReverse[1] = 1;
         }, 3, 2},
        {"X section", [](CKelvraView& v) { v.settings.displayMode = DisplayXSection; v.state.sectionIndexX = 2; v.settings.graphType = 3; }, 1, 2},
        {"Y section", [](CKelvraView& v) { v.settings.displayMode = DisplayYSection; v.state.sectionIndexY = 3; v.settings.graphType = 3; }, 3, 4},
        {"flat Z range", [](CKelvraView& v) {
             v.settings.scaleMin[2] = v.settings.scaleMax[2] = 3;
             for (std::size_t p = 0; p < 20; ++p) v.data.point(p)[2] = 3;
         }, 2, 2, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PickView g;
        c.set(g.view);
        g.view.buildDisplayLists();
        g.paint();
        g.click(g.at(c.row, c.column));
        EXPECT_EQ(cp932ToUtf8(g.view.state.selectedText.text), pickedLine(c.row, c.column, c.z));
        EXPECT_GT(g.cyanAround(g.at(c.row, c.column)), 8);
    }

    // A section offers only its own points.
    PickView g;
    g.view.settings.displayMode = DisplayXSection;
    g.view.state.sectionIndexX = 2;
    g.view.settings.graphType = 3;
    g.view.buildDisplayLists();
    g.paint();
    g.click(g.at(1, 3));
    EXPECT_TRUE(g.view.state.selectedText.text.empty());
}

TEST(Pick, ScatteredPointsAndVectorsWriteTheirDataAndVectorLines) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    test::GridView g;
    g.scale(0, 0, 10, 2);
    g.scale(1, 0, 10, 2);
    g.scale(2, 0, 10, 2);
    g.scale(3, 0, 10, 3);
    g.view.state.interactionMode = ModePick;

    // Bars over scattered points with a data value: the target is the top of the bar.
    test::fillPoints(g.view, Scattered, 4, {{2, 2, 4, 1.5}, {8, 6, 9, 2.5}});
    g.view.settings.graphType = 3;   // 棒ｸﾞﾗﾌ
    g.draw(kSide, kSide);
    test::ClientPoint p = test::clientPointOf(g.view, kClient, g.view.data.point(1));
    g.view.leftButtonDown(p.px(), p.py());
    EXPECT_EQ(cp932ToUtf8(g.view.state.selectedText.text), "X = 8.000  Y = 6.000  Z = 9.000\r\nDATA = 2.500");

    // Vectors with a data value, picked at the foot of the arrow.
    g.view.clearSelectedText();
    test::fillPoints(g.view, Vectors, 7, {{5, 5, 5, 1, 0, 0, 4}, {2, 8, 1, 0, 1, 1, 6}});
    g.view.settings.graphType = 0;
    g.draw(kSide, kSide);
    p = test::clientPointOf(g.view, kClient, g.view.data.point(1));
    g.view.leftButtonDown(p.px(), p.py());
    EXPECT_EQ(cp932ToUtf8(g.view.state.selectedText.text),
              "X = 2.000  Y = 8.000  Z = 1.000\r\nVx = 0.000  Vy = 1.000  Vz = 1.000\r\nDATA = 6.000");
    EXPECT_TRUE(g.view.state.pickMarkersShown);
}

// Targets the pick box cannot see are left out before GL's selection: every
// pick over the window finds the same names, in the same order, as a pick
// that draws them all. A turned 3-D view with a reversed axis, grid points
// and vectors (whose lines can cross the box with both ends outside it).
TEST(Pick, LeavingOutTargetsThePickBoxCannotSeeChangesNoHit) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    test::GridView g;
    for (int a = 0; a < 3; ++a) g.scale(a, -1, 1, 0.5);
    g.scale(3, -1, 1, 3);
    g.view.settings.scaleReverse[0] = 1;
    g.view.settings.viewZoom = 150;
    auto sameHitsEverywhere = [&] {
        g.draw(kSide, kSide);
        int hitPicks = 0;
        for (int y = 5; y < kSide; y += 15)
            for (int x = 5; x < kSide; x += 15) {
                PickHits culled = g.view.selectPickTargets(x, y), all = g.view.selectPickTargets(x, y, false);
                ASSERT_EQ(culled.names, all.names) << "at " << x << ", " << y;
                ASSERT_EQ(culled.tooMany, all.tooMany);
                hitPicks += !all.names.empty();
            }
        EXPECT_GT(hitPicks, 40);
    };
    g.fill(40, 40, -1, 1, -1, 1, [](double x, double y) { return 0.8 * std::sin(3 * x) * std::cos(2 * y); });
    g.view.settings.graphType = 14;   // 点(ｶﾗｰ)
    sameHitsEverywhere();

    std::vector<std::vector<double>> arrows;
    for (int i = 0; i < 300; ++i) {
        const double t = i * 0.021;
        arrows.push_back({std::cos(7 * t) * 0.9, std::sin(5 * t) * 0.9, std::sin(3 * t) * 0.9,
                          std::sin(11 * t), std::cos(13 * t), 0.5, 1.0});
    }
    test::fillPoints(g.view, Vectors, 7, arrows);
    g.view.settings.graphType = 0;
    g.view.settings.vectorSize = 800;   // long arrows: lines that pass through the box from outside it
    sameHitsEverywhere();
}

TEST(Pick, MoreThanTwoThousandPointsUnderTheBoxAreRefusedAndChangeNothing) {
    GL_TEST_REQUIRE_CONTEXT(kSide, kSide);
    test::GridView g;
    for (int a = 0; a < 3; ++a) g.scale(a, 0, 10, 2);
    g.scale(3, 0, 10, 3);
    g.view.state.interactionMode = ModePick;
    g.view.settings.graphType = 2;
    // n points on one spot, and one apart that a first pick marks.
    auto pile = [&](int n) {
        std::vector<std::vector<double>> pts(std::size_t(n), std::vector<double>{5, 5, 5});
        pts.push_back({1, 1, 1});
        test::fillPoints(g.view, Scattered, 3, pts);
        g.draw(kSide, kSide);
        g.view.clearSelectedText();
        test::ClientPoint apart = test::clientPointOf(g.view, kClient, g.view.data.point(std::size_t(n)));
        g.view.leftButtonDown(apart.px(), apart.py());
        ASSERT_TRUE(g.view.state.pickMarkersShown);
    };
    const double spot[3] = {5, 5, 5};
    for (int n : {2001, 5000}) {   // over the limit; far past what the buffer holds
        SCOPED_TRACE(n);
        pile(n);
        std::string before = g.view.state.selectedText.text;
        g.host.messages.clear();
        test::ClientPoint p = test::clientPointOf(g.view, kClient, spot);
        g.view.leftButtonDown(p.px(), p.py());
        ASSERT_EQ(g.host.messages.size(), 1u);
        EXPECT_EQ(cp932ToUtf8(g.host.messages[0]), "選択点が多すぎます");
        EXPECT_EQ(g.view.state.selectedText.text, before);
        EXPECT_TRUE(g.view.state.pickMarkersShown);   // still the first pick's marker
    }
    // At the limit the pick goes through, to the first point drawn.
    pile(2000);
    g.host.messages.clear();
    test::ClientPoint p = test::clientPointOf(g.view, kClient, spot);
    g.view.leftButtonDown(p.px(), p.py());
    EXPECT_TRUE(g.host.messages.empty());
    EXPECT_EQ(cp932ToUtf8(g.view.state.selectedText.text), "X = 1.000  Y = 1.000  Z = 1.000\r\n\r\nX = 5.000  Y = 5.000  Z = 5.000");
}

}  // namespace
}  // namespace kelvra
