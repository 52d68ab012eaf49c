#include "settings/settingsTables.h"

#include <cmath>
#include <iterator>

namespace kelvra {

const char* const kFontFaceNames[] = {
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
static_assert(std::size(kFontFaceNames) == kFontFaceCount);

const TextRoleInfo kTextRoles[] = {
    {"グラフタイトル", 1000, SizeSource::Zoom},    // RoleTitle
    {"軸ラベル", 2000, SizeSource::AxisSize},      // RoleAxisLabel
    {"スケール数値", 3000, SizeSource::Zoom},      // RoleScaleValue
    {"スケールラベル", 4000, SizeSource::Zoom},    // RoleScaleLabel
    {"スケール単位", 5000, SizeSource::Zoom},      // RoleScaleUnit
    {"凡例数値", 6000, SizeSource::LegendSize},    // RoleLegendValue
    {"凡例単位", 7000, SizeSource::LegendSize},    // RoleLegendUnit
};
static_assert(std::size(kTextRoles) == RoleCount);

int levelCountOfIndex(double legendStepIndex) {
    if (!(legendStepIndex > -1.0 && legendStepIndex < kLevelCountChoices)) return 0;
    int index = int(legendStepIndex);   // truncates toward zero, so -0.5 is index 0
    return kLevelCounts[index];
}

}  // namespace kelvra
