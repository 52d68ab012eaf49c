#include "core/kelvraView.h"

namespace kelvra {

void CKelvraView::drawColorPoints(const BuildContext& ctx, const Rgb* colors, int levelCount) const {}
void CKelvraView::drawGreyPoints(const BuildContext& ctx) const {}
void CKelvraView::drawBlackPoints(const BuildContext& ctx) const {}
void CKelvraView::drawBars(const BuildContext& ctx) const {}
void CKelvraView::drawVectors(const BuildContext& ctx) const {}

}  // namespace kelvra
