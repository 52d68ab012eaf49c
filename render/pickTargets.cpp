#include "core/kelvraView.h"

namespace kelvra {

void CKelvraView::drawPickTargets(const BuildContext& ctx) {}

}  // namespace kelvra
