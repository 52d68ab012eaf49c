#include "core/kelvraView.h"

#include "render/text.h"

namespace kelvra {

CKelvraView::CKelvraView(ViewHost& host) : host_(host), glyphs_(std::make_unique<GlyphRenderer>()) {}

CKelvraView::~CKelvraView() = default;

void CKelvraView::applySettingsChange() {
    showPosition();
    showZoom();
    showAngles();
    layoutAnchoredOverlays();
    recomputeScales(true);
    buildGlyphLists();
    buildDisplayLists();
    host_.invalidate();
}

}  // namespace kelvra
