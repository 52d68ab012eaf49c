// Glyph display lists for the seven text roles, made from fonts found with
// fontconfig and rasterised with FreeType.
#pragma once

#include <memory>
#include <string_view>

namespace kelvra {

struct GraphSettings;

class GlyphRenderer {
public:
    GlyphRenderer();
    ~GlyphRenderer();
    // (Re)builds the 256 lists of every role in the current GL context.
    void build(const GraphSettings& s);
    // Draws text with a role at the current raster position (bitmap roles) or
    // at the modelview origin (outline title).
    void draw(std::string_view text, int role);
    // Deletes every list made in the current context.
    void destroy();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kelvra
