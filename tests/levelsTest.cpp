// Colour levels: the level colour tables for both legend styles, the level of a value at and
// around boundaries, and where a segment crosses a level top.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/levels.h"
#include "settings/graphSettings.h"

namespace kelvra {
namespace {

const GraphSettings kDefaults;
const Rgb* const kUser = kDefaults.legendColors;   // the default colours 1..20 are all distinct

// Entries 0..n of a level colour table as the numbers of the user colours they are (21: none of them).
std::vector<int> sourcesOf(const Rgb* out, int n) {
    std::vector<int> numbers;
    for (int i = 0; i <= n; ++i) numbers.push_back(int(std::find(kUser + 1, kUser + 21, out[i]) - kUser));
    return numbers;
}

TEST(LevelColors, ShortTablesPickTheListedColoursAndTheAbsoluteStyleFolds) {
    struct Case {
        int style, reverse, levelIndex;
        std::vector<int> expected;   // entry 0 first
    } cases[] = {
        {0, 0, 1, {1, 1, 6, 10, 14, 20}},
        {0, 1, 0, {20, 20, 1}},                               // reversed: from colour 20
        {0, 0, 3, {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
        {1, 0, 2, {20, 20, 16, 11, 6, 1, 1, 6, 11, 16, 20}},  // absolute: folded about the middle
        {1, 1, 2, {1, 1, 5, 10, 15, 20, 20, 15, 10, 5, 1}},   // absolute reversed: the fold turned over
    };
    Rgb out[kMaxLevelCount + 1];
    for (const Case& c : cases)
        EXPECT_EQ(sourcesOf(out, buildLevelColors(kUser, c.style, c.reverse, c.levelIndex, out)), c.expected)
            << c.style << c.reverse << " " << c.levelIndex;
    EXPECT_EQ(buildLevelColors(kUser, 0, 0, 12, out) + buildLevelColors(kUser, 0, 0, -3, out), 0);   // no such count
}

TEST(LevelColors, FortyLevelsRampFromADarkenedColour1AndOutOfRangeChannelsClamp) {
    Rgb out[kMaxLevelCount + 1];
    ASSERT_EQ(buildLevelColors(kUser, 0, 0, 4, out), 40);
    EXPECT_EQ(out[0], (Rgb{0, 0, 0.82 - 0.15}));
    EXPECT_NEAR(out[1].b, (0.67 + 0.82) / 2, 1e-12);   // half way to colour 1
    EXPECT_EQ(sourcesOf(out, 40)[2], 1);
    EXPECT_EQ(sourcesOf(out, 40)[40], 20);
    Rgb source[kLegendColorCount];
    std::fill(source, source + kLegendColorCount, Rgb{1.5, -0.5, std::nan("")});
    ASSERT_EQ(buildLevelColors(source, 0, 0, 5, out), 80);
    EXPECT_EQ(std::count(out, out + 81, Rgb{1, 0, 0}), 81);
}

// Ten levels of 1 from 0.
TEST(LevelArithmetic, LevelOfTakesTheLowerLevelPointLevelTheUpperAndCrossingsFollowTheZSpace) {
    LevelTable t;
    t.levelCount = 10;
    t.levelStep = 1.0;
    const double cases[][3] = {   // value, levelOf, pointLevel
        {0.0, 1, 1},       {0.5, 1, 1},  {1.0, 1, 2},      {1.0000001, 2, 2}, {-0.5, 1, 1},
        {-1.0, 1, 0},      {-100, 1, 0}, {9.5, 10, 10},    {1e300, 10, 10},   {std::nan(""), 1, 1}};
    for (const auto& [v, level, point] : cases) {
        EXPECT_EQ(levelOf(t, v), level) << v;
        EXPECT_EQ(pointLevel(t, v), point) << v;   // a full level below the base: entry 0
    }
    // Where a segment reaches the top of a level, measured in the space of the Z axis.
    EXPECT_DOUBLE_EQ(levelCrossing(t, 0.0, 4.0, 1), 0.25);
    // Log Z, linear legend: colour values are raw, the fraction is taken in ln space.
    t.logZ = true;
    t.levelBase = 1.0;
    EXPECT_NEAR(levelCrossing(t, 1.0, 100.0, 9), 0.5, 1e-12);   // the top of level 9 is 10
    // Linear Z, log legend: colour values are ln, the fraction is taken on the raw values.
    t.logZ = false;
    t.logLegend = true;
    t.levelBase = 0.0;
    EXPECT_NEAR(levelCrossing(t, 0.0, std::log(5.0), 1), (std::exp(1.0) - 1.0) / 4.0, 1e-12);
}

}  // namespace
}  // namespace kelvra
