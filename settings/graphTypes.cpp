// The graph-type lists and the rules read from them (see graphTypes.h).
#include "settings/graphTypes.h"

#include <cassert>
#include <iterator>

namespace kelvra {
namespace {

using P = Prelude;
using S = DrawStep;
using L = LegendRule;

const GraphTypeInfo kGridTypes[] = {
    {"等高線1(ｶﾗｰ)", {P::Clip, {S::ContourFill}}, L::Colour, false},
    {"等高線1(ｶﾗｰ，ﾜｲﾔｰﾌﾚｰﾑ)", {P::OffsetFill, {S::ContourFill, S::Wire}}, L::Colour, false},
    {"等高線1(白黒)", {P::Clip, {S::GreyFill}}, L::Grey, false},
    {"等高線1(白黒，ﾜｲﾔｰﾌﾚｰﾑ)", {P::OffsetFill, {S::GreyFill, S::Wire}}, L::Grey, false},
    {"等高線2(ｶﾗｰ)", {P::Clip, {S::LevelLines}}, L::Colour, false},
    {"等高線2(ｶﾗｰ，陰線処理)", {P::Clip, {S::ContourHidden, S::LevelLines}}, L::Colour, false},
    {"等高線2", {P::Clip, {S::SingleLines}}, L::ByFloor, false},
    {"等高線2(陰線処理)", {P::Clip, {S::ContourHidden, S::SingleLines}}, L::ByFloor, false},
    {"等高線1(ｶﾗｰ) + 等高線2", {P::OffsetFill, {S::ContourFill, S::SingleLines}}, L::Colour, false},
    {"等高線1(ｶﾗｰ，ﾜｲﾔｰ) + 等高線2", {P::OffsetFill, {S::ContourFill, S::Wire, S::SingleLines}}, L::Colour, false},
    {"ﾜｲﾔｰﾌﾚｰﾑ(ｶﾗｰ)", {P::Clip, {S::ColorWire}}, L::Colour, false},
    {"ﾜｲﾔｰﾌﾚｰﾑ(ｶﾗｰ，陰線処理)", {P::Clip, {S::WireHidden, S::ColorWire}}, L::Colour, false},
    {"ﾜｲﾔｰﾌﾚｰﾑ", {P::Clip, {S::Wire}}, L::ByFloor, false},
    {"ﾜｲﾔｰﾌﾚｰﾑ(陰線処理)", {P::Clip, {S::WireHidden, S::Wire}}, L::ByFloor, false},
    // Points are not clipped: each one is tested against the scale box instead.
    {"点(ｶﾗｰ)", {P::None, {S::ColorPoints}}, L::Colour, false},
    {"点(白黒)", {P::None, {S::GreyPoints}}, L::Grey, false},
    {"点(黒)", {P::None, {S::BlackPoints}}, L::ByFloor, false},
    {"形状", {P::OffsetFill, {S::Shaded}}, L::ByFloor, false},
    {"形状(ﾜｲﾔｰﾌﾚｰﾑ)", {P::OffsetFill, {S::Shaded, S::Wire}}, L::ByFloor, false},
    {"棒ｸﾞﾗﾌ", {P::Clip, {S::Bars}}, L::Colour, true},
};
static_assert(std::size(kGridTypes) == GridGraphTypeCount);

const GraphTypeInfo kScatteredTypes[] = {
    {"点(ｶﾗｰ)", {P::None, {S::ColorPoints}}, L::Colour, false},
    {"点(白黒)", {P::None, {S::GreyPoints}}, L::Grey, false},
    {"点(黒)", {P::None, {S::BlackPoints}}, L::ByFloor, false},
    {"棒ｸﾞﾗﾌ", {P::Clip, {S::Bars}}, L::Colour, true},
};
static_assert(std::size(kScatteredTypes) == ScatteredGraphTypeCount);

const GraphTypeInfo kVectorTypes[] = {
    {"ﾍﾞｸﾄﾙ図(ｶﾗｰ)", {P::None, {S::Vectors}}, L::Colour, false},
};
static_assert(std::size(kVectorTypes) == VectorGraphTypeCount);

// Points coloured by their data value (the data load makes the legend follow
// the data), and the same in grey.
const GraphTypeInfo kPointValueTypes[] = {
    {"点(ｶﾗｰ)", {P::None, {S::ColorPoints}}, L::Colour, false},
    {"点(白黒)", {P::None, {S::GreyPoints}}, L::Grey, false},
};
static_assert(std::size(kPointValueTypes) == PointValueGraphTypeCount);

const GraphTypeInfo kSectionTypes[] = {
    {"等高線(ｶﾗｰ)", {P::Clip, {S::SectionFill}}, L::Colour, false},
    {"等高線(ｶﾗｰ，形状付き)", {P::Clip, {S::SectionFill, S::SectionCut}}, L::Colour, false},
    {"ﾜｲﾔｰﾌﾚｰﾑ", {P::Clip, {S::SectionLine}}, L::ByFloor, false},
    {"点(ｶﾗｰ)", {P::None, {S::SectionPoints}}, L::Colour, false},
};
static_assert(std::size(kSectionTypes) == SectionGraphTypeCount);

const GraphTypeInfo kSectionDataTypes[] = {
    {"ﾜｲﾔｰﾌﾚｰﾑ", {P::Clip, {S::SectionLine}}, L::ByFloor, false},
    {"点(ｶﾗｰ)", {P::None, {S::SectionPoints}}, L::Colour, false},
};
static_assert(std::size(kSectionDataTypes) == SectionDataGraphTypeCount);

// The 3-D and 2-D list of each data kind.
const GraphTypeList kKindLists[] = {
    {kGridTypes},                // Grid
    {kScatteredTypes},           // Scattered
    {kVectorTypes, true},        // Vectors
    {kPointValueTypes},          // PointValues
};
static_assert(std::size(kKindLists) == DataKindCount);

GraphTypeList kindList(DataKind kind) {
    assert(kind >= 0 && kind < DataKindCount);
    return kKindLists[kind];
}

const FloorProjectionInfo kFloorProjections[] = {
    {"XY平面-等高線なし", {P::None, {}}, LegendChoice::None},
    {"XY平面-等高線1(ｶﾗｰ)", {P::Clip, {S::ContourFill}}, LegendChoice::Colour},
    {"XY平面-等高線1(白黒)", {P::Clip, {S::GreyFill}}, LegendChoice::Grey},
    {"XY平面-等高線2(ｶﾗｰ)", {P::Clip, {S::LevelLines}}, LegendChoice::Colour},
    {"XY平面-等高線2", {P::Clip, {S::SingleLines}}, LegendChoice::None},
    {"XY平面-等高線1(ｶﾗｰ) + 等高線2", {P::OffsetFill, {S::ContourFill, S::SingleLines}}, LegendChoice::Colour},
    {"XY平面-等高線1(白黒) + 等高線2", {P::OffsetFill, {S::GreyFill, S::SingleLines}}, LegendChoice::Grey},
};
static_assert(std::size(kFloorProjections) == XyContourModeCount);

bool isSectionDisplay(int displayMode) {
    return displayMode == DisplayXSection || displayMode == DisplayYSection;
}

bool isPlainDisplay(int displayMode) { return displayMode == Display3D || displayMode == Display2D; }

}  // namespace

GraphTypeList graphTypeList(DataKind kind, int displayMode, int valuesPerPoint) {
    if (isSectionDisplay(displayMode))
        return {valuesPerPoint == 3 ? std::span<const GraphTypeInfo>(kSectionTypes) : kSectionDataTypes};
    if (isPlainDisplay(displayMode)) return kindList(kind);
    return {};
}

GraphTypeList graphTypeList(const GraphSettings& s, const GraphData& d) {
    return graphTypeList(d.dataKind, s.displayMode, d.valuesPerPoint);
}

const GraphTypeInfo* currentGraphType(const GraphSettings& s, const GraphData& d) {
    GraphTypeList list = graphTypeList(s, d);
    if (list.types.empty()) return nullptr;
    if (list.oneTypeForAll) return &list.types[0];
    if (s.graphType < 0 || std::size_t(s.graphType) >= list.types.size()) return nullptr;
    return &list.types[std::size_t(s.graphType)];
}

std::vector<const char*> graphTypeLabels(DataKind kind, int displayMode, int valuesPerPoint) {
    std::vector<const char*> labels;
    for (const GraphTypeInfo& type : graphTypeList(kind, displayMode, valuesPerPoint).types) labels.push_back(type.label);
    return labels;
}

LegendChoice legendChoice(const GraphSettings& s, const GraphData& d) {
    const GraphTypeInfo* type = currentGraphType(s, d);
    LegendRule rule = type ? type->legend : LegendRule::ByFloor;
    switch (rule) {
        case LegendRule::Colour: return LegendChoice::Colour;
        case LegendRule::Grey: return LegendChoice::Grey;
        case LegendRule::ByFloor: break;
    }
    const FloorProjectionInfo* floor = floorProjection(s.xyContourMode);
    return floor ? floor->legend : LegendChoice::None;
}

bool isBarGraph(const GraphSettings& s, const GraphData& d) {
    GraphTypeList list = kindList(d.dataKind);
    return s.graphType >= 0 && std::size_t(s.graphType) < list.types.size() &&
           list.types[std::size_t(s.graphType)].bars;
}

void fitGraphChoiceToData(GraphSettings& s, const GraphData& d) {
    if (s.displayMode < 0) s.displayMode = Display3D;
    if (s.graphType < 0) s.graphType = 0;
    if (!hasSections(d.dataKind)) {
        if (s.displayMode >= DisplayXSection) s.displayMode = Display3D;
        s.xyContourMode = XyContourNone;
    }
    GraphTypeList list = graphTypeList(s, d);
    if (list.types.empty()) return;   // a display mode above 3
    if (std::size_t(s.graphType) >= list.types.size()) s.graphType = 0;
}

const FloorProjectionInfo* floorProjection(int xyContourMode) {
    if (xyContourMode < 0 || xyContourMode >= XyContourModeCount) return nullptr;
    return &kFloorProjections[xyContourMode];
}

}  // namespace kelvra
