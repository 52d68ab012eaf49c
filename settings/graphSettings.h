// The graph settings record: every user-adjustable choice of how the data set
// is drawn. It is a plain record of fields that the view inherits, so every part
// of the program reads `view.graphType` in place; being one struct, it can also
// be copied whole (the settings dialog works on a copy) and compared (tests).
//
// Units: positions and sizes are pixels at 100 % zoom; percentages are plain
// integers; flags are ints holding 0 or 1; strings are CP932 bytes; colours are
// R, G, B doubles in 0..1. Axis arrays are indexed 0 X, 1 Y, 2 Z, 3 legend.
// Enumerated fields have their enum types; the enums have a fixed int type, so
// a field may still hold any int a caller stores (readers keep them in range).
// Valid ranges, fallbacks and how each field becomes text live in the field
// table (settings/settingsFields.h), once.
#pragma once

#include <string>

#include "base/numberText.h"

namespace kelvra {

struct Rgb {
    double r = 0.0, g = 0.0, b = 0.0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr int kTextRoleCount = 7;
inline constexpr int kLegendColorCount = 21;   // entry 0 mirrors entry 1

enum DisplayMode : int { Display3D, Display2D, DisplayXSection, DisplayYSection, DisplayModeCount };

// Contour projection onto the floor of the box (XY平面-...).
enum XyContourMode : int {
    XyContourNone,               // 等高線なし
    XyContourFill,               // 等高線1(ｶﾗｰ)
    XyContourGreyFill,           // 等高線1(白黒)
    XyContourLevelLines,         // 等高線2(ｶﾗｰ)
    XyContourLines,              // 等高線2
    XyContourFillAndLines,       // 等高線1(ｶﾗｰ) + 等高線2
    XyContourGreyFillAndLines,   // 等高線1(白黒) + 等高線2
    XyContourModeCount,
};

enum LegendStyle : int { LegendStandard, LegendAbsolute, LegendStyleCount };   // 標準, 絶対値

// The quantity the level colours follow.
enum LegendColorSource : int { ColorByX, ColorByY, ColorByZ, ColorByData, LegendColorSourceCount };

enum TickStyle : int { TicksOutside, TicksInside, TicksNone, TickStyleCount };   // 外側, 内側, なし

struct GraphSettings {
    // [グラフの設定] graph choice
    int graphType = 0;        // index into the graph-type list of the data kind and display mode
    DisplayMode displayMode = Display3D;
    XyContourMode xyContourMode = XyContourNone;

    // [表示の設定] view
    int viewPosX = 0;         // -999..999, pixels at 100 %
    int viewPosY = 0;
    int viewZoom = 100;       // percent
    int viewAngleX = 300;     // 0..359, held 270 ahead of the shown angle (300 shows 30)
    int viewAngleZ = 330;     // 0..359

    // [線，点の設定] lines, points, bars, vectors
    int wireIntervalX = 1;    // draw every n-th grid column line; 0 draws none
    int wireIntervalY = 1;    // every n-th grid row line
    int wireWidthX = 1;       // pixels
    int wireWidthY = 1;
    int pointSize = 5;        // pixels
    int vectorSize = 100;     // arrow length, percent
    int contour2Width = 1;    // contour line width, pixels
    double barSizeX = 1.0;    // bar footprint along X, data units
    double barSizeY = 1.0;

    // [色の設定] colours
    Rgb wireColorX;
    Rgb wireColorY;
    Rgb contour2Color;

    // [フォントの設定] per text role (TextRole order)
    int fontFace[kTextRoleCount] = {4, 4, 4, 4, 4, 4, 4};   // index into the face table
    int fontSize[kTextRoleCount] = {12, 12, 12, 12, 12, 12, 12};

    // [軸の設定] axis indicator
    int axisShow = 1;
    double axisPosV = -100;   // whole numbers, pixels at 100 %
    double axisPosH = -300;
    std::string axisLabelX = "X";
    std::string axisLabelY = "Y";
    std::string axisLabelZ = "Z";
    int axisSize = 100;       // percent
    int axisSizeFixed = 1;    // 0: axisSize follows viewZoom
    int axisFixLowerLeft = 1; // 1: position follows the window's lower-left corner

    // [凡例の設定] colour legend
    int legendShow = 1;
    double legendPosV = -140;
    double legendPosH = 260;
    int legendHeight = 350;   // pixels at 100 %
    int legendWidth = 20;
    LegendStyle legendStyle = LegendStandard;
    int legendSize = 100;     // percent
    int legendSizeFixed = 1;
    int legendFixRight = 1;
    LegendColorSource legendColorSource = ColorByZ;
    int legendReverse = 0;

    // [ｶﾗｰ凡例色の設定] level colours
    Rgb legendColors[kLegendColorCount] = {
        {0.0, 0.0, 0.82},  {0.0, 0.0, 0.82},  {0.0, 0.143, 1.0}, {0.0, 0.286, 1.0},
        {0.0, 0.429, 1.0}, {0.0, 0.572, 1.0}, {0.0, 0.715, 1.0}, {0.0, 0.858, 1.0},
        {0.0, 0.98, 0.98}, {0.0, 0.98, 0.65}, {0.0, 1.0, 0.0},   {0.5, 1.0, 0.0},
        {0.75, 1.0, 0.0},  {0.98, 0.98, 0.0}, {1.0, 0.858, 0.0}, {1.0, 0.715, 0.0},
        {1.0, 0.572, 0.0}, {1.0, 0.429, 0.0}, {1.0, 0.286, 0.0}, {1.0, 0.143, 0.0},
        {0.92, 0.0, 0.0}};

    // [グラフタイトル] title
    std::string titleText;
    int titlePosV = 180;
    int titlePosH = -50;

    // [スケールの設定] scales; index 3 is the legend scale
    int scaleShow = 1;
    int scaleSameStep = 0;    // X, Y, Z share one interval length
    double scaleMin[4] = {-100, -100, -100, -100};
    double scaleMax[4] = {100, 100, 100, 100};
    double scaleStep[4] = {50, 50, 50, 3};   // legend: index into the level counts
    double scaleSizePercent[3] = {100, 100, 100};
    std::string scaleLabel[3];
    std::string scaleUnit[4];
    NumberFormat scaleFormat[4] = {FormatAuto, FormatAuto, FormatAuto, FormatAuto};
    int scaleDigits[4] = {3, 3, 3, 3};
    int scaleAuto[4] = {0, 0, 0, 0};
    int scaleLog[4] = {0, 0, 0, 0};
    int scaleReverse[3] = {0, 0, 0};         // the legend's is legendReverse
    int scaleShowValues[4] = {1, 1, 1, 1};
    TickStyle scaleTicks[3] = {TicksOutside, TicksOutside, TicksOutside};

    // [断面表示の設定] sections, index 0 X, 1 Y
    double sectionPos[2] = {0, 0};           // data units
    std::string sectionLabel[2] = {"X=", "Y="};
    std::string sectionUnit[2];
    NumberFormat sectionFormat[2] = {FormatAuto, FormatAuto};   // value kinds 4 and 5 of formatValue
    int sectionDigits[2] = {3, 3};
    int sectionLineWidth = 2;

    // [ウィンドウサイズ] outer size of the main frame
    int windowWidth = 775;
    int windowHeight = 550;

    // Not saved: the settings-dialog page shown first.
    int settingsPage = 0;

    bool operator==(const GraphSettings&) const = default;
};

// The record as the view constructor makes it: the defaults.
const GraphSettings& defaultSettings();

// A number as the scales show it: value kind 0..3 is the scale X, Y, Z or
// legend, 4..5 the X or Y section; each has its number format and digits. The
// one number formatter of scale values, section positions, legend values,
// picked points and the settings file. No text for any other kind.
inline FormattedValue formatValue(const GraphSettings& s, double v, int kind) {
    if (kind >= 0 && kind < 4) return formatNumber(v, s.scaleFormat[kind], s.scaleDigits[kind]);
    if (kind >= 4 && kind < 6) return formatNumber(v, s.sectionFormat[kind - 4], s.sectionDigits[kind - 4]);
    return {};
}

// The view angles as the view keeps them: both 0 in the 2-D display, else
// brought into 0..359 (from the -720..1080 a drag may leave).
inline void normalizeViewAngles(GraphSettings& s) {
    if (s.displayMode == Display2D) {
        s.viewAngleX = 0;
        s.viewAngleZ = 0;
    }
    for (int* angle : {&s.viewAngleX, &s.viewAngleZ}) {
        if (*angle < 0) *angle += 360;
        if (*angle > 359) *angle -= 360;
    }
}

// Shown X angle (0..359) of an internal viewAngleX, and back.
inline int shownAngleX(int viewAngleX) {
    int shown = viewAngleX - 270;
    return shown < 0 ? shown + 360 : shown;
}
inline int internalAngleX(int shown) {
    int internal = shown + 270;
    return internal > 359 ? internal - 360 : internal;
}

}  // namespace kelvra
