// The pick: every pickable data point drawn once more as a named primitive in
// GL selection mode through a small pick box (drawPickTargets,
// selectPickTargets), the records read back (readSelectHits), and the cube
// that marks a picked point (pickMarkerBox, drawPickMarker). The view's pick
// (view/viewPick.cpp) puts them together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "render/drawInput.h"

namespace kelvra {

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

// The volume a pick box sees, to leave out pick targets that GL's selection
// could not hit before they reach GL.
struct PickVolume {
    bool all = true;           // no volume: every target is drawn
    double toClip[16] = {};    // projection x modelview, column-major as GL keeps it

    // The volume of the projection and modelview matrices now current.
    static PickVolume current();
    // The clip planes world point `p` is clearly outside of, a bit each; 0
    // when it is inside, on a plane, or there is no volume.
    unsigned outside(const Vec3& p) const;
};


// The pick targets of the data set, leaving out those outside `volume`
// (PickVolume{} draws them all).
void drawPickTargets(const DrawInput& in, const PickVolume& volume);

// Draws the pick targets in selection mode through a kPickBoxPixels square
// centred on window (x, y) of the current viewport (GL window coordinates,
// origin bottom-left), under the camera of the settings, and reads the
// records back. `cull` false draws every target, as a check of what the
// culling leaves out.
inline constexpr double kPickBoxPixels = 10.0;
PickHits selectPickTargets(const DrawInput& in, double x, double y, bool cull = true);

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

// Draws the marker's cube in cyan over the graph (no depth test).
void drawPickMarker(const PickMarkerBox& box);

}  // namespace kelvra
