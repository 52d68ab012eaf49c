// Colour maps for the legend's twenty colours, and how well a legend's
// neighbouring bands can be told apart.
//
// A preset only fills the twenty level colours of the settings record (entry
// 0 follows entry 1): the settings file keeps its colour keys and a file
// saved after a preset reads back as the same colours. The settings dialog's
// legend colour page offers the presets and shows, for the levels in use,
// the smallest difference between neighbouring bands (render/levels.h:
// legendBandDifferences); kelvra-render --colormap applies one.
//
// Colour differences are CIEDE2000 (Sharma, Wu and Dalal, "The CIEDE2000
// colour-difference formula: implementation notes, supplementary test data,
// and mathematical observations", Color Research and Application 30(1),
// 2005), between sRGB colours under D65. Colour-vision deficiency is
// simulated with the matrices of Machado, Oliveira and Fernandes, "A
// physiologically-based model for simulation of color vision deficiency",
// IEEE TVCG 15(6), 2009 (severity 1.0), applied to linear RGB.
#pragma once

#include <string>
#include <span>
#include <string_view>

#include "settings/graphSettings.h"

namespace kelvra {

struct ColorMap {
    const char* name;     // for --colormap: "default", "viridis", ...
    const char* label;    // what the dialog lists (UTF-8)
    Rgb colors[20];       // level colours 1..20, bottom to top
};

// The presets in the order the dialog lists them.
std::span<const ColorMap> colorMaps();
// A preset by its name (any letter case); null for none.
const ColorMap* colorMapNamed(std::string_view name);
// Every name, for messages: "default, viridis, cividis, magma, grey, diverging".
std::string colorMapNames();
// Sets the record's twenty level colours (and entry 0) to the preset's.
void applyColorMap(const ColorMap& map, GraphSettings& s);
// The position in colorMaps() of the preset whose colours the record holds
// (as a settings file keeps them, to three decimals); -1 for none.
int colorMapOf(const GraphSettings& s);

struct Lab {
    double l, a, b;
};
// CIELAB (D65) of an sRGB colour with components 0..1.
Lab labOfSrgb(const Rgb& c);
double ciede2000(const Lab& x, const Lab& y);

enum class Vision { Normal, Deuteranopia, Protanopia, Count };
// The sRGB colour a viewer with the deficiency sees (clamped to 0..1).
Rgb simulateVision(const Rgb& c, Vision v);

// Below this a pair of neighbouring bands is hard to tell apart.
inline constexpr double kDistinctBands = 10.0;

}  // namespace kelvra
