// Holes (missing values, NaN) in a grid: every grid graph leaves out the cells
// that touch one, and a data file saved with holes reopens with the same
// picture.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "output/picture.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

constexpr int kSize = 200;

// Pixels that are not the white background in a square of `half` pixels
// either side of the middle of the picture.
int inkNearMiddle(int half) {
    int ink = 0;
    for (int y = kSize / 2 - half; y <= kSize / 2 + half; ++y)
        for (int x = kSize / 2 - half; x <= kSize / 2 + half; ++x)
            ink += !test::near(test::pixelAt(x, y), {255, 255, 255}, 8);
    return ink;
}

// A 5 x 5 grid over -1..1 seen from above, its middle point a hole when asked:
// the four cells around it span the middle 40 % of the graph.
int inkAroundTheMiddle(int graphType, bool hole) {
    test::GridView g;
    g.fill(5, 5, -1, 1, -1, 1, [](double x, double y) { return 0.5 * x + 0.3 * y; });
    if (hole) g.view.data.point(2 * 5 + 2)[2] = NAN;
    for (int a = 0; a < 3; ++a) g.scale(a, -1, 1, 0.5);
    g.scale(3, -0.05, 0.05, 1);   // level lines close around the middle
    g.topView();
    g.view.settings.graphType = graphType;
    g.draw(kSize, kSize);
    return inkNearMiddle(12);
}

TEST(Holes, EveryGridGraphLeavesOutTheCellsThatTouchOne) {
    GL_TEST_REQUIRE_CONTEXT(kSize, kSize);
    // Fill, fill with wires, level lines, single lines, lines with hidden
    // fill, wireframes in colour and black, points, shaded shape.
    for (int type : {0, 1, 2, 4, 5, 6, 9, 10, 12, 13, 14, 17}) {
        SCOPED_TRACE(type);
        EXPECT_GT(inkAroundTheMiddle(type, false), 0) << "the graph draws in the middle without a hole";
        EXPECT_EQ(inkAroundTheMiddle(type, true), 0);
    }
}

TEST(Holes, ASavedFileWithHolesReopensWithTheSamePicture) {
    GL_TEST_REQUIRE_CONTEXT(kSize, kSize);
    test::ScratchDir dir;
    auto picture = [&](const std::string& path, const std::string& saveAs) {
        test::GridView g;
        EXPECT_TRUE(g.view.loadDataFile(path, false));
        EXPECT_GT(std::isnan(g.view.data.pointAt(4 * 11 + 2)[2]), 0) << "the hole at column 2, row 4";
        g.draw(kSize, kSize);
        std::vector<test::Pixel> pixels;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) pixels.push_back(test::pixelAt(x, y));
        if (!saveAs.empty()) EXPECT_TRUE(g.view.writeDataFile(saveAs, g.view.settingsText()));
        return pixels;
    };
    const std::string saved = dir.file("saved.csv");
    const auto imported = picture(test::sourcePath("tests/data/import/lo-holes.csv"), saved);
    const auto reopened = picture(saved, "");
    int differing = 0;
    for (std::size_t i = 0; i < imported.size() && i < reopened.size(); ++i) differing += !(imported[i] == reopened[i]);
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace kelvra
