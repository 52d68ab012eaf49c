#include "view/kelvraView.h"

#include "render/text.h"

namespace kelvra {

CKelvraView::CKelvraView(ViewHost& host) : host_(host), glyphs_(std::make_unique<GlyphRenderer>()) {}

CKelvraView::~CKelvraView() = default;

}  // namespace kelvra
