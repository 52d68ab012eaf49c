// Picking: a left click in pick mode finds the data point under the mouse,
// marks it with a small cyan cube (list 550) and adds its values to the text
// of the selected-data window. The pick draws the pick targets in GL
// selection mode under the camera of the last paint (render/pickTargets.h);
// only the first name read back counts.
#include <GL/gl.h>

#include "base/cp932.h"
#include "interact/pickResult.h"
#include "render/glCurrent.h"
#include "render/sections.h"
#include "view/kelvraView.h"

namespace kelvra {

PickHits CKelvraView::selectPickTargets(double x, double y, bool cull) {
    holdSectionOnGrid(data, settings, state);
    const BuildContext ctx = buildContext();
    return kelvra::selectPickTargets({data, settings, state, ctx}, x, y, cull);
}

void CKelvraView::pickAt(int x, int y) {
    // Nothing drawn, nothing to pick; and the pick needs the window's context.
    if (!data.dataLoaded || !glContextIsCurrent()) return;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    // Client rows count down from the top, GL's up from the bottom.
    PickHits hits = selectPickTargets(x, viewport[3] - y);
    if (hits.tooMany) {
        host().showMessage(sj("選択点が多すぎます"));
        return;
    }
    showPickResult(hits.names);
}

void CKelvraView::showPickResult(const std::vector<std::uint32_t>& names) {
    // A click between points leaves the marker and the text as they were.
    if (names.empty()) return;
    const std::size_t offset = names.front();
    if (!appendPickedPoint(state.selectedText, settings, data, offset)) return;
    state.pickMarkersShown = buildPickMarker(offset);
    host().showSelectedData();
    host().invalidate();
}

bool CKelvraView::buildPickMarker(std::size_t offset) {
    std::optional<PickMarkerBox> box;
    if (const std::optional<PointRecord> p = pickedPoint(data, offset))
        box = pickMarkerBox(settings, graphMapping(settings, state.axisSpan), p->values());
    glNewList(ListPickMarker, GL_COMPILE);
    if (box) drawPickMarker(*box);
    glEndList();
    return box.has_value();
}

}  // namespace kelvra
