#include "core/kelvraView.h"

namespace kelvra {

void CKelvraView::drawContourFill(const BuildContext& ctx, bool onFloor) const {}
void CKelvraView::drawGreyContourFill(const BuildContext& ctx, bool onFloor) const {}
void CKelvraView::drawContourLines(const BuildContext& ctx, bool coloured, bool onFloor) const {}
void CKelvraView::drawContourHiddenFill(const BuildContext& ctx) const {}

}  // namespace kelvra
