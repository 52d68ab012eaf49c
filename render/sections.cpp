#include "core/kelvraView.h"

namespace kelvra {

void CKelvraView::updateSectionX() {}
void CKelvraView::updateSectionY() {}
void CKelvraView::drawSectionLine(const BuildContext& ctx, int axis) const {}
void CKelvraView::drawSectionPoints(const BuildContext& ctx, int axis) const {}
void CKelvraView::drawSectionFill(const BuildContext& ctx, int axis) const {}
void CKelvraView::drawSectionCut(const BuildContext& ctx, int axis) const {}

}  // namespace kelvra
