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

#include "data/graphData.h"
#include "settings/viewState.h"

namespace kelvra {

struct GraphSettings;

// The values of the point a pick name stands for: point p's name is
// p * valuesPerPoint, where its first value lies in the per-point array;
// nothing when offset names no stored point.
std::optional<PointRecord> pickedPoint(const GraphData& data, std::size_t offset);

// Adds the values of the point the pick name `offset` stands for: its
// coordinates, then its data value or vector as its kind has them. A text that
// already holds a pick gets a blank line before the new one. False, and the
// text unchanged, when offset is not the start of a stored point. Numbers are
// written by formatValue: X, Y, Z with their axes' formats, data values and
// vector components with the legend's.
bool appendPickedPoint(SelectedText& selected, const GraphSettings& settings, const GraphData& data,
                       std::size_t offset);

}  // namespace kelvra
