#include "core/kelvraView.h"

namespace kelvra {

void CKelvraView::leftButtonDown(int x, int y) {}
void CKelvraView::mouseMove(int x, int y) {}
void CKelvraView::leftButtonUp() {}
void CKelvraView::keyDown(ArrowKey key) {}
void CKelvraView::resetView() {}
void CKelvraView::setViewPlane(int plane) {}
void CKelvraView::fitModeToDisplay() {}
void CKelvraView::showPosition() {}
void CKelvraView::showZoom() {}
void CKelvraView::showAngles() {}
void CKelvraView::showDisplayKind() {}

}  // namespace kelvra
