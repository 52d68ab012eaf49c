#include "render/text.h"

#include "core/kelvraView.h"

namespace kelvra {

struct GlyphRenderer::Impl {};

GlyphRenderer::GlyphRenderer() : impl_(std::make_unique<Impl>()) {}
GlyphRenderer::~GlyphRenderer() = default;
void GlyphRenderer::build(const GraphSettings&) {}
void GlyphRenderer::draw(std::string_view, int) {}
void GlyphRenderer::destroy() {}

void CKelvraView::buildGlyphLists() {
    glyphs_->build(settings());
    glyphListsBuilt = true;
}

void CKelvraView::drawText(std::string_view text, int role) { glyphs_->draw(text, role); }

}  // namespace kelvra
