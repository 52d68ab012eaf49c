// The view's side of navigation: the rules of interact/navigation.h applied to
// the view's records, then the change sequence and the moving view.
#include "view/kelvraView.h"

namespace kelvra {

void CKelvraView::leftButtonDown(int x, int y) {
    switch (pressButton(settings, state, x, y)) {
        case PressResult::Pick: pickAt(x, y); break;
        case PressResult::DragHidMarks: host().invalidate(); break;
        case PressResult::Drag:
        case PressResult::Nothing: break;
    }
}

void CKelvraView::mouseMove(int x, int y) {
    const unsigned what = dragTo(settings, state, x, y);
    if (what == 0) return;
    changed(what);
    viewMoved();
}

void CKelvraView::leftButtonUp() {
    const bool wasDragging = state.dragging;
    const unsigned what = releaseButton(state);
    if (what != 0) changed(what);
    if (wasDragging) viewSettled();
}

void CKelvraView::keyDown(ArrowKey key) {
    const unsigned what = pressArrow(settings, state, key);
    if (what == 0) return;
    changed(what);
    viewMoved();
}

void CKelvraView::keyUp() { viewSettled(); }

void CKelvraView::wheelZoom(int notches) {
    const unsigned what = kelvra::wheelZoom(settings, notches);
    if (what == 0) return;
    changed(what);
    viewMoved();
}

void CKelvraView::resetView() {
    resetViewSettings(settings);
    changed(ChangeView);
}

void CKelvraView::setViewPlane(int plane) {
    if (kelvra::setViewPlane(settings, plane)) changed(ChangeView);
}

}  // namespace kelvra
