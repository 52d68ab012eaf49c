// Colour levels: how a value becomes one of n colour bands.
//
// The legend's range is cut into levelCount levels of levelStep each, starting
// at levelBase (the legend minimum, or its ln on a logarithmic legend). Values
// are compared "in level space": the colour value of a point, or its ln when
// the legend is logarithmic. The level colour table is built from the user's 20
// colours (or the grey ramp) by buildLevelColors.
#pragma once

#include "settings/colorMaps.h"
#include "settings/graphSettings.h"
#include "settings/settingsTables.h"

namespace kelvra {

struct LevelTable {
    int levelCount = 0;          // n, 0 when the legend index names no count
    double levelStep = 0.0;      // value width of one level, in level space
    double levelBase = 0.0;      // bottom of level 1, in level space
    bool logLegend = false;      // colour values are ln of the raw value
    bool logZ = false;           // the Z axis is logarithmic (for levelCrossing)
    Rgb colors[kMaxLevelCount + 1];   // colour of level k at entry k; entry 0 filled too
};

// The fixed grey ramp used by the black-and-white graph types: entry 0 black,
// entry i grey (i - 1) * 0.05.
extern const Rgb kGreyLevelSource[kLegendColorCount];

// Fills out[0..n] from the 21-entry source under the legend style and reversal
// flags; returns n (0 when legendStepIndex names no count, out untouched then).
int buildLevelColors(const Rgb source[kLegendColorCount], int legendStyle, int legendReverse,
                     double legendStepIndex, Rgb out[kMaxLevelCount + 1]);

// Level 1..n of a value in level space; a value on a boundary takes the lower
// level, values below the base level 1, above the top level n.
int levelOf(const LevelTable& t, double v);

// Level 0..n of a drawn mark: a value on a boundary takes the upper level, and
// a value a full level or more below the base takes entry 0.
int pointLevel(const LevelTable& t, double v);

// Fraction of the way from a to b (level-space values of a segment's ends) at
// which the value reaches the top of level k, measured in the space of the Z
// axis (so crossings on a log Z axis with a linear legend fall where the
// surface actually reaches the value).
double levelCrossing(const LevelTable& t, double a, double b, int k);

// The smallest CIEDE2000 difference between neighbouring bands of the levels
// the settings draw (their level count, style and reversal), for each vision
// (settings/colorMaps.h); 0 with fewer than two levels. Bands the absolute
// style gives one colour on purpose are not compared.
struct BandDifferences {
    double smallest[int(Vision::Count)] = {};
    int levels = 0;
};
BandDifferences legendBandDifferences(const GraphSettings& s);

}  // namespace kelvra
