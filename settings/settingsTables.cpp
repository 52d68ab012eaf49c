#include "settings/settingsTables.h"

#include <cmath>

#include "data/graphData.h"

namespace kelvra {

const char* const kFontFaceNames[kFontFaceCount] = {
    "ＭＳ Ｐゴシック", "ＭＳ Ｐ明朝", "ＭＳ ゴシック", "ＭＳ 明朝", "MS UI Gothic",
    "Arial", "Arial Black", "Arial CE", "Arial CYR", "Arial Greek",
    "Arial Narrow", "Arial TUR", "Book Antiqua", "Bookman Old Style", "Century",
    "Comic Sans MS", "Courier New", "Courier New CE", "Courier New CYR", "Courier New Greek",
    "Courier New TUR", "Garamond", "Georgia", "Haettenschweiler", "Impact",
    "Lucida Console", "Lucida Sans Unicode", "Modern", "Monotype Corsiva", "Palatino Linotype",
    "Roman", "Script", "Symbol", "Tahoma", "Times New Roman",
    "Times New Roman CE", "Times New Roman CYR", "Times New Roman Greek", "Times New Roman TUR",
    "Trebuchet MS", "Verdana",
};

const TextRoleInfo kTextRoles[kTextRoleCount] = {
    {"グラフタイトル", 1000, SizeSource::Zoom},    // RoleTitle
    {"軸ラベル", 2000, SizeSource::AxisSize},      // RoleAxisLabel
    {"スケール数値", 3000, SizeSource::Zoom},      // RoleScaleValue
    {"スケールラベル", 4000, SizeSource::Zoom},    // RoleScaleLabel
    {"スケール単位", 5000, SizeSource::Zoom},      // RoleScaleUnit
    {"凡例数値", 6000, SizeSource::LegendSize},    // RoleLegendValue
    {"凡例単位", 7000, SizeSource::LegendSize},    // RoleLegendUnit
};

int levelCountOfIndex(double legendStepIndex) {
    if (!(legendStepIndex > -1.0 && legendStepIndex < kLevelCountChoices)) return 0;
    int index = int(legendStepIndex);   // truncates toward zero, so -0.5 is index 0
    return kLevelCounts[index];
}

namespace {

const char* const kGridTypes[] = {
    "等高線1(ｶﾗｰ)", "等高線1(ｶﾗｰ，ﾜｲﾔｰﾌﾚｰﾑ)", "等高線1(白黒)", "等高線1(白黒，ﾜｲﾔｰﾌﾚｰﾑ)",
    "等高線2(ｶﾗｰ)", "等高線2(ｶﾗｰ，陰線処理)", "等高線2", "等高線2(陰線処理)",
    "等高線1(ｶﾗｰ) + 等高線2", "等高線1(ｶﾗｰ，ﾜｲﾔｰ) + 等高線2", "ﾜｲﾔｰﾌﾚｰﾑ(ｶﾗｰ)",
    "ﾜｲﾔｰﾌﾚｰﾑ(ｶﾗｰ，陰線処理)", "ﾜｲﾔｰﾌﾚｰﾑ", "ﾜｲﾔｰﾌﾚｰﾑ(陰線処理)", "点(ｶﾗｰ)", "点(白黒)",
    "点(黒)", "形状", "形状(ﾜｲﾔｰﾌﾚｰﾑ)", "棒ｸﾞﾗﾌ",
};
static_assert(std::size(kGridTypes) == 20);

const char* const kSectionTypesZ[] = {"等高線(ｶﾗｰ)", "等高線(ｶﾗｰ，形状付き)", "ﾜｲﾔｰﾌﾚｰﾑ", "点(ｶﾗｰ)"};
const char* const kSectionTypesData[] = {"ﾜｲﾔｰﾌﾚｰﾑ", "点(ｶﾗｰ)"};
const char* const kScatteredTypes[] = {"点(ｶﾗｰ)", "点(白黒)", "点(黒)", "棒ｸﾞﾗﾌ"};
const char* const kVectorTypes[] = {"ﾍﾞｸﾄﾙ図(ｶﾗｰ)"};

}  // namespace

std::span<const char* const> graphTypeLabels(int dataKind, int displayMode, int valuesPerPoint) {
    bool section = displayMode == DisplayXSection || displayMode == DisplayYSection;
    if (section) {
        if (dataKind != Grid) return {};
        if (valuesPerPoint == 3) return kSectionTypesZ;
        return kSectionTypesData;
    }
    if (displayMode != Display3D && displayMode != Display2D) return {};
    switch (dataKind) {
        case Grid: return kGridTypes;
        case Scattered: return kScatteredTypes;
        case Vectors: return kVectorTypes;
        default: return {};
    }
}

}  // namespace kelvra
