// Colour-map presets and the colour differences the legend colour page shows:
// CIEDE2000 against the published test pairs, the simulated colour vision,
// and presets that survive a settings file.
#include <gtest/gtest.h>

#include "settings/colorMaps.h"
#include "render/levels.h"
#include "settings/settingsFile.h"

namespace kelvra {
namespace {

TEST(ColourDifference, Ciede2000MatchesThePublishedPairs) {
    // Sharma, Wu and Dalal 2005, table 1: pairs 1 and 17.
    EXPECT_NEAR(ciede2000({50.0, 2.6772, -79.7751}, {50.0, 0.0, -82.7485}), 2.0425, 5e-5);
    EXPECT_NEAR(ciede2000({50.0, 2.5, 0.0}, {73.0, 25.0, -18.0}), 27.1492, 5e-5);
    EXPECT_NEAR(ciede2000({60.0, 10.0, 5.0}, {60.0, 10.0, 5.0}), 0.0, 1e-12);
    // sRGB red in CIELAB (D65): L* 53.24, a* 80.09, b* 67.20.
    const Lab red = labOfSrgb({1, 0, 0});
    EXPECT_NEAR(red.l, 53.24, 0.01);
    EXPECT_NEAR(red.a, 80.09, 0.01);
    EXPECT_NEAR(red.b, 67.20, 0.01);
    const Lab white = labOfSrgb({1, 1, 1});
    EXPECT_NEAR(white.l, 100.0, 1e-3);
    EXPECT_NEAR(white.a, 0.0, 1e-3);
}

TEST(ColourDifference, SimulatedVisionKeepsGreysAndMergesRedWithGreen) {
    for (Vision v : {Vision::Deuteranopia, Vision::Protanopia}) {
        const Rgb grey = simulateVision({0.4, 0.4, 0.4}, v);
        EXPECT_NEAR(grey.r, 0.4, 1e-4);
        EXPECT_NEAR(grey.b, 0.4, 1e-4);
        const Rgb red{0.8, 0.2, 0.1}, green{0.35, 0.55, 0.1};
        const double normal = ciede2000(labOfSrgb(red), labOfSrgb(green));
        const double seen = ciede2000(labOfSrgb(simulateVision(red, v)), labOfSrgb(simulateVision(green, v)));
        EXPECT_GT(normal, 40.0);
        EXPECT_LT(seen, normal / 3);
    }
}

// Two pairs worked through by hand (sRGB decoded, the severity-1 matrix,
// encoded again and clamped, CIELAB, CIEDE2000): red against green, which
// the deficiencies bring close, and yellow against blue, which they keep apart.
TEST(ColourDifference, PairsUnderSimulatedVisionMatchTheHandComputedFigures) {
    const struct {
        Rgb a, b;
        double normal, deuteranopia, protanopia;
    } pairs[] = {
        {{1, 0, 0}, {0, 1, 0}, 86.6082, 19.4086, 42.4233},
        {{1, 1, 0}, {0, 0, 1}, 103.4270, 93.9994, 87.2997},
    };
    for (const auto& p : pairs) {
        const auto seen = [&](Vision v) {
            return ciede2000(labOfSrgb(simulateVision(p.a, v)), labOfSrgb(simulateVision(p.b, v)));
        };
        EXPECT_NEAR(seen(Vision::Normal), p.normal, 1e-3);
        EXPECT_NEAR(seen(Vision::Deuteranopia), p.deuteranopia, 1e-3);
        EXPECT_NEAR(seen(Vision::Protanopia), p.protanopia, 1e-3);
    }
    // Red as a deuteranope sees it: 0.640 0.566 0 (its blue clamped at 0).
    const Rgb red = simulateVision({1, 0, 0}, Vision::Deuteranopia);
    EXPECT_NEAR(red.r, 0.640060, 1e-5);
    EXPECT_NEAR(red.g, 0.565807, 1e-5);
    EXPECT_EQ(red.b, 0.0);
}

TEST(ColorMaps, EachPresetFillsTheTwentyColoursAndSurvivesASettingsFile) {
    EXPECT_EQ(colorMapNames(), "default, viridis, cividis, magma, grey, diverging");
    EXPECT_EQ(colorMapNamed("VIRIDIS"), colorMapNamed("viridis"));
    EXPECT_EQ(colorMapNamed("jet"), nullptr);
    for (const ColorMap& map : colorMaps()) {
        SCOPED_TRACE(map.name);
        GraphSettings s;
        s.scaleStep[3] = 3;   // 20 levels
        applyColorMap(map, s);
        for (int i = 0; i < 20; ++i) EXPECT_EQ(s.legendColors[i + 1].g, map.colors[i].g);
        EXPECT_EQ(s.legendColors[0].r, s.legendColors[1].r);
        // Saved and opened again: the same colours as the file holds them, and the same file.
        const std::string saved = settingsFileText(s);
        GraphSettings reopened;
        readSettingsText(saved, reopened);
        for (int i = 0; i <= 20; ++i) {
            EXPECT_NEAR(reopened.legendColors[i].r, s.legendColors[i].r, 0.0005);
            EXPECT_NEAR(reopened.legendColors[i].b, s.legendColors[i].b, 0.0005);
        }
        EXPECT_EQ(settingsFileText(reopened), saved);
    }
}

TEST(ColorMaps, BandDifferencesFollowTheLevelsInUse) {
    GraphSettings s;
    s.scaleStep[3] = 1;   // 5 levels: colours 1, 6, 10, 14, 20
    applyColorMap(*colorMapNamed("grey"), s);
    BandDifferences d = legendBandDifferences(s);
    EXPECT_EQ(d.levels, 5);
    // Greys look the same to everyone; L* steps of 85 * 4/19 and more apart.
    EXPECT_NEAR(d.smallest[int(Vision::Deuteranopia)], d.smallest[int(Vision::Normal)], 0.05);
    EXPECT_GT(d.smallest[int(Vision::Normal)], 10.0);
    // 80 levels of a ramp: neighbours are close for every viewer.
    s.scaleStep[3] = 5;
    d = legendBandDifferences(s);
    EXPECT_EQ(d.levels, 80);
    EXPECT_LT(d.smallest[int(Vision::Normal)], kDistinctBands);
    // The program's own colours at 20 levels: red and green neighbours merge
    // for deuteranopes, where viridis keeps its bands apart better.
    s = GraphSettings{};
    s.scaleStep[3] = 3;
    const double own = legendBandDifferences(s).smallest[int(Vision::Deuteranopia)];
    applyColorMap(*colorMapNamed("viridis"), s);
    const double viridis = legendBandDifferences(s).smallest[int(Vision::Deuteranopia)];
    EXPECT_LT(own, viridis);
}

}  // namespace
}  // namespace kelvra
