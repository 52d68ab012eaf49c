// What a pick produces, as plain values: the names read back from the
// selection buffer, the lines the selected-data window collects, and the cube
// that marks the picked point. No GL and no window here: the pick itself
// (interact/picking.cpp) draws the targets in selection mode and hands the
// buffer to readSelectHits, then turns the first name into text and a marker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "render/mapping.h"
#include "settings/viewState.h"

namespace kelvra {

struct GraphData;
struct GraphSettings;

// More hits than this under the pick box is refused ("選択点が多すぎます").
inline constexpr long kPickHitLimit = 2000;
// Every target carries one name, so a hit record is four words (count, two
// depths, the name). The buffer holds one record more than the limit: a pick
// that overflows it has more than the limit, and is refused as such.
inline constexpr std::size_t kSelectBufferWords = std::size_t(kPickHitLimit + 1) * 4;
// The name on the stack below every target; a hit carrying it is no point.
inline constexpr std::uint32_t kNoPointName = 0xFFFFFFFFu;

struct PickHits {
    bool tooMany = false;               // over the limit, or the buffer overflowed
    std::vector<std::uint32_t> names;   // every name of every record, in buffer order
};

// Reads the records selection mode left in `buffer`; `hitCount` is what
// glRenderMode returned on leaving it (-1 when the records did not fit). A
// record that runs past the buffer ends the reading, so no word outside it is
// read whatever the count says.
PickHits readSelectHits(std::span<const std::uint32_t> buffer, long hitCount);

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

// The cube that marks a picked point: centred on the point as the graph draws
// it (logarithmic axes through ln, reversed axes mirrored, a flat Z range at
// z = 0), half an edge `half` world units, which is pointSize / 2 + 2 pixels at
// the zoom of the moment.
struct PickMarkerBox {
    Vec3 centre;
    double half = 0.0;
};
// Nothing when the point has no finite place in the graph.
std::optional<PickMarkerBox> pickMarkerBox(const GraphSettings& s, const AxisMapping& graphMap, const double* xyz);

// The cube's edges as the marker list draws them: two closed squares (five
// points each, the first repeated) at z - half and z + half, and the four
// vertical edges at the corners.
struct PickMarkerEdges {
    Vec3 squares[2][5];
    Vec3 verticals[4][2];
};
PickMarkerEdges pickMarkerEdges(const PickMarkerBox& box);

}  // namespace kelvra
