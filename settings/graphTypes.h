// The graph types: for every position of every graph-type list, the label the
// settings dialog shows, the drawing steps of the graph (list 100), the legend
// it shows (list 150) and whether it is a bar graph; and the floor projections
// (xyContourMode) with their labels, steps and legends. Each list is an array
// indexed by an enum of its own, checked against that enum's count.
//
// Which list applies: the section lists in the X and Y section displays (by the
// number of values per point), otherwise the list of the data kind.
//
// Read by the graph's drawing steps (render/graphSteps.cpp) and the legend
// (render/legend.cpp), the scale recompute (render/scaleMapping.cpp: the bar
// rule), the view's change sequence (fitGraphChoiceToData after a load or a
// settings change) and the settings dialog (labels, and the data kind's
// rules below). Labels are UTF-8 (the source encoding); sj() from
// base/cp932.h gives the CP932 bytes.
#pragma once

#include <span>
#include <vector>

#include "data/graphData.h"
#include "settings/graphSettings.h"

namespace kelvra {

// What a row does before its drawing steps: nothing, clip to the scale box, or
// clip and push the first (filled) step back with polygon offset, so that the
// lines drawn after it on the same surface win the depth test.
enum class Prelude { None, Clip, OffsetFill };

// One drawing routine of the graph (render/contours.cpp, surfaces.cpp,
// marks.cpp, sections.cpp). The contour steps draw on the whole grid in the
// graph lists and on the floor in the floor projections.
enum class DrawStep {
    None,
    ContourFill,
    GreyFill,
    LevelLines,      // contour lines in the level colours
    SingleLines,     // contour lines in contour2Color
    ContourHidden,
    ColorWire,
    WireHidden,
    Wire,
    ColorPoints,
    GreyPoints,
    BlackPoints,
    Shaded,
    Bars,
    SectionFill,
    SectionCut,
    SectionLine,
    SectionPoints,
    Vectors,
};

struct DrawSteps {
    Prelude prelude = Prelude::None;
    DrawStep steps[3] = {};   // in order; None ends the row
};

// Which legend list 150 holds.
enum class LegendChoice { None, Colour, Grey };
// A graph type's legend: its own, or (ByFloor) the one its floor projection asks for.
enum class LegendRule { Colour, Grey, ByFloor };

struct GraphTypeInfo {
    const char* label;   // what the settings dialog lists
    DrawSteps draw;
    LegendRule legend;
    bool bars;           // the recompute makes room for bars on automatic axes
};

// ---- the lists, by position ----

enum GridGraphType : int {
    GridContourFill,        // 等高線1(ｶﾗｰ)
    GridContourFillWire,    // 等高線1(ｶﾗｰ，ﾜｲﾔｰﾌﾚｰﾑ)
    GridGreyFill,           // 等高線1(白黒)
    GridGreyFillWire,       // 等高線1(白黒，ﾜｲﾔｰﾌﾚｰﾑ)
    GridLevelLines,         // 等高線2(ｶﾗｰ)
    GridLevelLinesHidden,   // 等高線2(ｶﾗｰ，陰線処理)
    GridLines,              // 等高線2
    GridLinesHidden,        // 等高線2(陰線処理)
    GridFillLines,          // 等高線1(ｶﾗｰ) + 等高線2
    GridFillWireLines,      // 等高線1(ｶﾗｰ，ﾜｲﾔｰ) + 等高線2
    GridColorWire,          // ﾜｲﾔｰﾌﾚｰﾑ(ｶﾗｰ)
    GridColorWireHidden,    // ﾜｲﾔｰﾌﾚｰﾑ(ｶﾗｰ，陰線処理)
    GridWire,               // ﾜｲﾔｰﾌﾚｰﾑ
    GridWireHidden,         // ﾜｲﾔｰﾌﾚｰﾑ(陰線処理)
    GridColorPoints,        // 点(ｶﾗｰ)
    GridGreyPoints,         // 点(白黒)
    GridBlackPoints,        // 点(黒)
    GridShape,              // 形状
    GridShapeWire,          // 形状(ﾜｲﾔｰﾌﾚｰﾑ)
    GridBars,               // 棒ｸﾞﾗﾌ
    GridGraphTypeCount
};

enum ScatteredGraphType : int {
    ScatteredColorPoints,
    ScatteredGreyPoints,
    ScatteredBlackPoints,
    ScatteredBars,
    ScatteredGraphTypeCount
};

enum VectorGraphType : int { VectorDiagram, VectorGraphTypeCount };

// Format 7 (a data value per point, no grid): the points coloured by level or
// in grey, as the point types of a point list.
enum PointValueGraphType : int {
    PointValueColor,   // 点(ｶﾗｰ)
    PointValueGrey,    // 点(白黒)
    PointValueGraphTypeCount
};

// Section displays of a grid with X, Y, Z only.
enum SectionGraphType : int {
    SectionContour,        // 等高線(ｶﾗｰ)
    SectionContourShape,   // 等高線(ｶﾗｰ，形状付き)
    SectionWire,           // ﾜｲﾔｰﾌﾚｰﾑ
    SectionPoints,         // 点(ｶﾗｰ)
    SectionGraphTypeCount
};

// Section displays of a grid with a data value per point.
enum SectionDataGraphType : int { SectionDataWire, SectionDataPoints, SectionDataGraphTypeCount };

struct GraphTypeList {
    std::span<const GraphTypeInfo> types;
    // Vectors: every graph type number draws the one diagram there is.
    bool oneTypeForAll = false;
};

// The list for a data kind, display mode and number of values per point; empty
// for a display mode outside 0..3.
GraphTypeList graphTypeList(DataKind kind, int displayMode, int valuesPerPoint);
GraphTypeList graphTypeList(const GraphSettings& s, const GraphData& d);

// The row of the current graph type; null when the number is past its list
// (nothing is drawn then, and the legend follows the floor projection).
const GraphTypeInfo* currentGraphType(const GraphSettings& s, const GraphData& d);

// The labels the settings dialog offers for a data kind and display mode, in
// list order; empty for a display mode outside 0..3.
std::vector<const char*> graphTypeLabels(DataKind kind, int displayMode, int valuesPerPoint);

// ---- rules of the data kind ----

// Only grids have section displays and floor projections.
inline bool hasSections(DataKind kind) { return kind == Grid; }

// How many quantities the legend colours can follow: X, Y, Z, and the data
// value (the vector length of a vector) where the points have one.
inline int colorSourceCount(int valuesPerPoint) { return valuesPerPoint <= 3 ? 3 : 4; }
// The quantity a fresh data set's colours follow: Z, or the data value.
inline LegendColorSource defaultColorSource(int valuesPerPoint) {
    return colorSourceCount(valuesPerPoint) == 3 ? ColorByZ : ColorByData;
}
// `source` where the points have it, else the default.
inline LegendColorSource usableColorSource(int source, int valuesPerPoint) {
    return source >= 0 && source < colorSourceCount(valuesPerPoint) ? LegendColorSource(source)
                                                                    : defaultColorSource(valuesPerPoint);
}

// ---- rules read from the lists ----

// Which legend list 150 shows: the graph type's own, else the floor's.
LegendChoice legendChoice(const GraphSettings& s, const GraphData& d);

// Bar graphs make room for their bars in the scale recompute. The data kind's
// own list decides, whatever the display.
bool isBarGraph(const GraphSettings& s, const GraphData& d);

// Keeps the graph choice valid for the data set after a load: negative numbers
// become 0; data other than a grid has no section displays and no floor
// projection; a graph type past its list becomes 0. A display mode above 3 is
// left as it is, and so is the graph type then.
void fitGraphChoiceToData(GraphSettings& s, const GraphData& d);

// ---- floor projections, by xyContourMode ----

struct FloorProjectionInfo {
    const char* label;    // XY平面-...
    DrawSteps draw;       // every step draws on the floor
    LegendChoice legend;  // the legend of a graph type whose rule is ByFloor
};

// The projection of an xyContourMode; null outside the enum.
const FloorProjectionInfo* floorProjection(int xyContourMode);

}  // namespace kelvra
