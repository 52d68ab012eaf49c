#include "core/kelvraView.h"

namespace kelvra {

void CKelvraView::buildLegend(int levelCount, double valueStep, double cellHeight, const Rgb* colors) {}
void CKelvraView::drawTitle() {}

}  // namespace kelvra
