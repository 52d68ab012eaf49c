// The one change sequence: what every load, bulk settings change, turn, move,
// zoom and section move runs to bring the picture up to date (see
// kelvraView.h for its steps), and the bookkeeping of a moving view that
// decides when a frame may show the reduced graph.
#include "base/phaseTimes.h"
#include "render/reducedGraph.h"
#include "render/scaleMapping.h"
#include "settings/graphTypes.h"
#include "view/kelvraView.h"

namespace kelvra {

void CKelvraView::changed(unsigned what) {
    const bool bulk = (what & (ChangeData | ChangeSettings)) != 0;
    if (bulk) fitGraphChoiceToData(settings, data);
    if (what & (ChangeSettings | ChangeView)) showPanes(what & ChangeSettings ? unsigned(ChangeView) : what);
    // A load lays them out too: a data file without settings is drawn with
    // the overlays where a saved copy of it (settings included) puts them.
    if (what & (ChangeData | ChangeSettings | ChangeZoom)) layoutAnchoredOverlays();
    if (bulk) {
        recomputeScales(settings, state, data, true);
        showPanes(ChangeSettings);
        rebuildPicture();
        return;
    }
    // A zoom drag rebuilds the glyph sizes once, when the button comes up.
    if ((what & ChangeZoom) && !state.dragging) buildGlyphLists();
    if (what & ChangeSection) {
        // Rebuilding the full graph on every step would stall a held key or a
        // drag: while the reduced graph is on the screen it follows the
        // section, and the full lists are built when the movement stops (the
        // next full frame builds them).
        lists.reduced.moving = true;
        if (!reducedGraphWanted()) {
            buildDisplayLists();
        } else {
            lists.graphListsBuilt = false;
            lists.reduced.list = ReducedGraph::List::NotBuilt;
        }
    }
    host().invalidate();
}

void CKelvraView::showPanes(unsigned what) {
    if (what & ChangePosition) host().setStatusPane(PanePosition, positionPaneText(settings));
    if (what & ChangeZoom) host().setStatusPane(PaneZoom, zoomPaneText(settings));
    if (what & (ChangeAngles | ChangeData | ChangeSettings)) {
        normalizeViewAngles(settings);
        host().setStatusPane(PaneAngles, anglesPaneText(settings));
    }
    if (what & (ChangeData | ChangeSettings)) {
        const std::string kind = displayKindPaneText(settings);
        if (!kind.empty()) host().setStatusPane(PaneDisplayKind, kind);
    }
}

void CKelvraView::viewMoved() {
    lists.reduced.moving = true;
    host().settleAfter(kSettleMilliseconds);
    host().invalidate();
}

void CKelvraView::viewSettled() {
    if (!lists.reduced.moving) return;
    lists.reduced.moving = false;
    // The screen shows the reduced graph, or a section move left the full
    // lists to be rebuilt: the next paint draws the full picture.
    if (lists.reduced.lastFrameReduced || !lists.graphListsBuilt) host().invalidate();
}

}  // namespace kelvra
