// What a pick adds to the selected-data window: the values of the picked
// point as text. No GL and no window here: the view's pick
// (view/viewPick.cpp) finds the point with the pick targets
// (render/pickTargets.h) and hands its name here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "settings/viewState.h"

namespace kelvra {

struct GraphData;
struct GraphSettings;

// The values of the point whose first value is pointValues[offset] (a pick
// name); null when offset is not the start of a stored point.
const double* pickedPoint(const GraphData& data, std::size_t offset);

// Adds the values of the point whose first value is pointValues[offset]: its
// coordinates, then its data value or vector as its kind has them. A text that
// already holds a pick gets a blank line before the new one. False, and the
// text unchanged, when offset is not the start of a stored point. Numbers are
// written by formatValue: X, Y, Z with their axes' formats, data values and
// vector components with the legend's.
bool appendPickedPoint(SelectedText& selected, const GraphSettings& settings, const GraphData& data,
                       std::size_t offset);

}  // namespace kelvra
