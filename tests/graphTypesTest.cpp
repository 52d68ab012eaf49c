// The graph-type lists as the rest of the program sees them: the fit after a
// load, the labels the settings dialog offers, and that the two agree. What
// each type draws and which legend it shows is pinned by the drawing tests
// (surfaceTest, contourTest, marksTest, sectionsTest, legendTest).
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "base/cp932.h"
#include "settings/graphTypes.h"

namespace kelvra {
namespace {

TEST(GraphTypes, FitKeepsTheChoiceValidForTheDataKind) {
    // Data kind, values per point; display mode, graph type, contour projection before; the three after.
    const std::array<int, 8> cases[] = {
        {Grid, 3, -1, -5, 3, 0, 0, 3},    {Grid, 3, 1, 20, 0, 1, 0, 0},     {Grid, 4, 3, 2, 0, 3, 0, 0},
        {Grid, 3, 7, 55, 1, 7, 55, 1},    {Scattered, 3, 2, 1, 4, 0, 1, 0}, {Scattered, 3, 0, 4, 0, 0, 0, 0},
        {Vectors, 6, 5, 1, 2, 0, 0, 0},   {PointValues, 4, 1, 2, 0, 1, 0, 0}, {PointValues, 4, 0, 1, 6, 0, 1, 0},
        {Grid, 3, 2, 3, 6, 2, 3, 6},      {Grid, 4, 2, 2, 6, 2, 0, 6},      {Grid, 3, 0, 19, 6, 0, 19, 6},
    };
    for (const auto& c : cases) {
        GraphSettings s;
        GraphData d;
        d.dataKind = DataKind(c[0]);
        d.valuesPerPoint = c[1];
        std::tie(s.displayMode, s.graphType, s.xyContourMode) = std::tuple(DisplayMode(c[2]), c[3], XyContourMode(c[4]));
        fitGraphChoiceToData(s, d);
        EXPECT_EQ(std::tuple(s.displayMode, s.graphType, s.xyContourMode), std::tuple(c[5], c[6], c[7]))
            << "kind " << c[0] << ", values per point " << c[1] << ", mode " << c[2] << ", type " << c[3];
    }
}

// The dialog lists exactly the types a load keeps, so no kept number selects
// nothing and no label is refused.
TEST(GraphTypes, DialogLabelsAreTheTypesAFitKeeps) {
    struct Case {
        DataKind kind;
        DisplayMode displayMode;
        int valuesPerPoint;
        std::vector<std::string> labels;   // the first and the last
        std::size_t count;
    } cases[] = {
        {Grid, Display3D, 3, {"等高線1(ｶﾗｰ)", "棒ｸﾞﾗﾌ"}, 20},
        {Grid, Display2D, 4, {"等高線1(ｶﾗｰ)", "棒ｸﾞﾗﾌ"}, 20},
        {Grid, DisplayXSection, 3, {"等高線(ｶﾗｰ)", "点(ｶﾗｰ)"}, 4},
        {Grid, DisplayYSection, 4, {"ﾜｲﾔｰﾌﾚｰﾑ", "点(ｶﾗｰ)"}, 2},
        {Scattered, Display3D, 3, {"点(ｶﾗｰ)", "棒ｸﾞﾗﾌ"}, 4},
        {Vectors, Display2D, 6, {"ﾍﾞｸﾄﾙ図(ｶﾗｰ)", "ﾍﾞｸﾄﾙ図(ｶﾗｰ)"}, 1},
        {PointValues, Display3D, 4, {"点(ｶﾗｰ)", "点(白黒)"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind) + ", mode " + std::to_string(c.displayMode));
        std::vector<const char*> labels = graphTypeLabels(c.kind, c.displayMode, c.valuesPerPoint);
        ASSERT_EQ(labels.size(), c.count);
        EXPECT_EQ((std::vector<std::string>{labels.front(), labels.back()}), c.labels);
        // The largest number a fit keeps is the last label's.
        int kept = -1;
        for (int type = 0; type < 30; ++type) {
            GraphSettings s;
            GraphData d;
            d.dataKind = c.kind;
            d.valuesPerPoint = c.valuesPerPoint;
            s.displayMode = c.displayMode;
            s.graphType = type;
            fitGraphChoiceToData(s, d);
            if (s.graphType == type) kept = type;
        }
        EXPECT_EQ(kept, int(c.count) - 1);
    }
    // Every label is valid CP932 once converted: the dialog shows them from there.
    for (DataKind kind : {Grid, Scattered, Vectors, PointValues})
        for (const char* label : graphTypeLabels(kind, Display3D, 3)) EXPECT_EQ(cp932ToUtf8(sj(label)), label);
}

}  // namespace
}  // namespace kelvra
