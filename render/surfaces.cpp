#include "core/kelvraView.h"

namespace kelvra {

void CKelvraView::drawWireframe(const BuildContext& ctx) const {}
void CKelvraView::drawColorWireframe(const BuildContext& ctx) const {}
void CKelvraView::drawWireHiddenFill(const BuildContext& ctx) const {}
void CKelvraView::drawShadedShape(const BuildContext& ctx) const {}

}  // namespace kelvra
