// Fixed tables of the settings record: font faces, text roles, level counts,
// number formats and display modes (the graph types and floor projections,
// labels included, are in settings/graphTypes.h). Texts are UTF-8 here (the
// source encoding); use sj() from base/cp932.h where CP932 bytes are needed.
#pragma once

#include <iterator>

#include "settings/graphSettings.h"

namespace kelvra {

inline constexpr int kFontFaceCount = 41;
inline constexpr int kJapaneseFaceCount = 4;   // faces 0..3 are Japanese
extern const char* const kFontFaceNames[];   // kFontFaceCount names

// Text roles: who draws with which font settings and glyph lists.
enum TextRole : int {
    RoleTitle = 0,
    RoleAxisLabel = 1,
    RoleScaleValue = 2,
    RoleScaleLabel = 3,
    RoleScaleUnit = 4,
    RoleLegendValue = 5,
    RoleLegendUnit = 6,
    RoleCount
};
static_assert(RoleCount == kTextRoleCount);   // the record's per-role arrays

enum class SizeSource { Zoom, AxisSize, LegendSize };

// (The settings file's keys for a role's face and size are in its key table,
// settings/settingsFile.cpp.)
struct TextRoleInfo {
    const char* pageName;       // name on the font page of the settings dialog
    int listBase;               // first of the role's 256 glyph lists
    SizeSource sizeFollows;
};
extern const TextRoleInfo kTextRoles[];   // by TextRole

// Level counts selected by the legend's scaleStep index 0..11.
inline constexpr int kLevelCountChoices = 12;
inline constexpr int kLevelCounts[kLevelCountChoices] = {2, 5, 10, 20, 40, 80, 120, 160, 200, 280, 360, 480};
inline constexpr int kMaxLevelCount = 480;
// Level count of a legend step index, or 0 when the index names none.
int levelCountOfIndex(double legendStepIndex);

// Names of the enumerated settings, as the settings dialog lists them, in
// enumerator order (the floor projections' are in settings/graphTypes.h).
inline constexpr const char* kNumberFormatNames[] = {"自動", "整数", "小数", "指数"};
inline constexpr const char* kDisplayModeNames[] = {"3次元", "2次元", "X断面", "Y断面"};
inline constexpr const char* kLegendSourceNames[] = {"X", "Y", "Z", "data"};
inline constexpr const char* kTickStyleNames[] = {"外側", "内側", "なし"};
inline constexpr const char* kLegendStyleNames[] = {"標準", "絶対値"};
static_assert(std::size(kNumberFormatNames) == NumberFormatCount);
static_assert(std::size(kDisplayModeNames) == DisplayModeCount);
static_assert(std::size(kLegendSourceNames) == LegendColorSourceCount);
static_assert(std::size(kTickStyleNames) == TickStyleCount);
static_assert(std::size(kLegendStyleNames) == LegendStyleCount);

}  // namespace kelvra
