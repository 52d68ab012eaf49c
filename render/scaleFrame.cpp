#include "core/kelvraView.h"

namespace kelvra {

void CKelvraView::buildScaleFrame3D() {}
void CKelvraView::buildScaleFrame2D(double plane) {}
void CKelvraView::buildAxisIndicator() {}

}  // namespace kelvra
