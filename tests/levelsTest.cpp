// Colour levels: the level colour tables for both legend styles, the level of a
// value at and around boundaries, and where a segment crosses a level top.
#include <gtest/gtest.h>

#include <cmath>

#include "render/levels.h"
#include "settings/graphSettings.h"

namespace kelvra {
namespace {

const Rgb* userColors() {
    static GraphSettings s;
    return s.legendColors;
}

// Index of the source entry a level colour came from (the default colours are all distinct).
int sourceIndex(const Rgb& c) {
    for (int k = 1; k <= 20; ++k)
        if (userColors()[k] == c) return k;
    return -1;
}

TEST(LevelColors, StandardTablesPickTheListedSourceEntries) {
    Rgb out[kMaxLevelCount + 1];
    ASSERT_EQ(buildLevelColors(userColors(), 0, 0, 1, out), 5);
    int expected5[] = {1, 6, 10, 14, 20};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(sourceIndex(out[i + 1]), expected5[i]) << "level " << i + 1;
    ASSERT_EQ(buildLevelColors(userColors(), 0, 0, 3, out), 20);
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(sourceIndex(out[i]), i);
    EXPECT_EQ(out[0], userColors()[0]);
}

TEST(LevelColors, AbsoluteStyleFoldsAndReversalCancelsIt) {
    Rgb out[kMaxLevelCount + 1];
    ASSERT_EQ(buildLevelColors(userColors(), 1, 0, 2, out), 10);
    int folded[] = {20, 16, 11, 6, 1, 1, 6, 11, 16, 20};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(sourceIndex(out[i + 1]), folded[i]) << "level " << i + 1;
    ASSERT_EQ(buildLevelColors(userColors(), 1, 1, 2, out), 10);
    int unfolded[] = {1, 5, 10, 15, 20, 20, 15, 10, 5, 1};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(sourceIndex(out[i + 1]), unfolded[i]) << "level " << i + 1;
}

TEST(LevelColors, ReversedStandardRunsFromColour20) {
    Rgb out[kMaxLevelCount + 1];
    ASSERT_EQ(buildLevelColors(userColors(), 0, 1, 0, out), 2);
    EXPECT_EQ(sourceIndex(out[1]), 20);
    EXPECT_EQ(sourceIndex(out[2]), 1);
    EXPECT_EQ(out[0], userColors()[20]);
}

TEST(LevelColors, FortyLevelsStartFromADarkenedColour1) {
    Rgb out[kMaxLevelCount + 1];
    ASSERT_EQ(buildLevelColors(userColors(), 0, 0, 4, out), 40);
    EXPECT_NEAR(out[0].b, 0.67, 1e-12);
    EXPECT_NEAR(out[1].b, 0.745, 1e-12);
    EXPECT_EQ(out[1].r, 0.0);
    EXPECT_EQ(out[2], userColors()[1]);
    EXPECT_EQ(out[40], userColors()[20]);
}

TEST(LevelColors, InterpolatedAbsoluteStyleMirrorsAboutTheMiddle) {
    Rgb out[kMaxLevelCount + 1];
    ASSERT_EQ(buildLevelColors(userColors(), 1, 1, 11, out), 480);
    EXPECT_EQ(out[240], userColors()[20]);
    EXPECT_EQ(out[241], userColors()[20]);
    for (int i = 0; i < 240; ++i) ASSERT_EQ(out[480 - i], out[i + 1]) << i;
}

TEST(LevelColors, OutOfRangeChannelsAreClampedInTheRamp) {
    Rgb source[kLegendColorCount];
    for (auto& c : source) c = {1.5, -0.5, std::nan("")};
    Rgb out[kMaxLevelCount + 1];
    ASSERT_EQ(buildLevelColors(source, 0, 0, 5, out), 80);
    for (int k = 0; k <= 80; ++k) {
        EXPECT_EQ(out[k].r, 1.0);
        EXPECT_EQ(out[k].g, 0.0);
        EXPECT_EQ(out[k].b, 0.0);
    }
}

TEST(LevelColors, UnknownLevelIndexGivesNoLevels) {
    Rgb out[kMaxLevelCount + 1];
    EXPECT_EQ(buildLevelColors(userColors(), 0, 0, 12, out), 0);
    EXPECT_EQ(buildLevelColors(userColors(), 0, 0, -3, out), 0);
}

LevelTable table(int n, double base, double step) {
    LevelTable t;
    t.levelCount = n;
    t.levelBase = base;
    t.levelStep = step;
    return t;
}

TEST(LevelOf, BoundaryBelongsToTheLowerLevelAndEndsClamp) {
    LevelTable t = table(20, 0.0, 0.5);
    EXPECT_EQ(levelOf(t, 0.0), 1);
    EXPECT_EQ(levelOf(t, 0.5), 1);
    EXPECT_EQ(levelOf(t, 0.5000001), 2);
    EXPECT_EQ(levelOf(t, 1.0), 2);
    EXPECT_EQ(levelOf(t, -100.0), 1);
    EXPECT_EQ(levelOf(t, 10.0), 20);
    EXPECT_EQ(levelOf(t, 1e300), 20);
    EXPECT_EQ(levelOf(t, std::nan("")), 1);
}

TEST(PointLevel, BoundaryBelongsToTheUpperLevelAndFarBelowIsEntry0) {
    LevelTable t = table(10, 0.0, 1.0);
    EXPECT_EQ(pointLevel(t, 1.0), 2);
    EXPECT_EQ(pointLevel(t, 0.5), 1);
    EXPECT_EQ(pointLevel(t, -0.5), 1);
    EXPECT_EQ(pointLevel(t, -1.0), 0);
    EXPECT_EQ(pointLevel(t, -2.0), 0);
    EXPECT_EQ(pointLevel(t, 9.5), 10);
    EXPECT_EQ(pointLevel(t, 1e9), 10);
}

TEST(LevelCrossing, MeasuresInTheSpaceOfTheZAxis) {
    LevelTable t = table(10, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(levelCrossing(t, 0.0, 4.0, 1), 0.25);
    // Log Z, linear legend: colour values are raw, the fraction is taken in ln space.
    t.logZ = true;
    t.levelBase = 1.0;
    EXPECT_NEAR(levelCrossing(t, 1.0, 100.0, 9), 0.5, 1e-12);   // top of level 9 is 10
    // Linear Z, log legend: colour values are ln, the fraction is taken on the raw values.
    t.logZ = false;
    t.logLegend = true;
    t.levelBase = 0.0;
    EXPECT_NEAR(levelCrossing(t, std::log(1.0), std::log(3.0), 0), 0.0, 1e-12);
    EXPECT_NEAR(levelCrossing(t, 0.0, std::log(5.0), 1), (std::exp(1.0) - 1.0) / 4.0, 1e-12);
}

}  // namespace
}  // namespace kelvra
