// The one sentence that every picture carries in its metadata for a reader
// who cannot see it (PNG iTXt, JPEG comment, SVG <desc>, PDF Subject, EPS
// comment): the graph type, the data ranges of X, Y and Z (and of the data
// value where the points carry one), and where the largest and smallest
// values are. Japanese, like every other text of the program, in UTF-8.
#pragma once

#include <string>

#include "data/graphData.h"
#include "settings/graphSettings.h"

namespace kelvra {

std::string describePicture(const GraphData& data, const GraphSettings& settings);

}  // namespace kelvra
