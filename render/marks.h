// Marks: points coloured by level, in grey or black; bars; vector arrows.
#pragma once

#include "render/drawInput.h"

namespace kelvra {

// Points in `colors` (entry k for point level k, k = 0..levelCount).
void drawColorPoints(const DrawInput& in, const Rgb* colors, int levelCount);
void drawGreyPoints(const DrawInput& in);
void drawBlackPoints(const DrawInput& in);
void drawBars(const DrawInput& in);
void drawVectors(const DrawInput& in);

}  // namespace kelvra
