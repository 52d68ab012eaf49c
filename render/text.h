// Glyph display lists for the seven text roles, made from fonts found with
// fontconfig and rasterised with FreeType (render/fonts.h).
//
// Each role owns the 256 lists from its base (1000, 2000, ... 7000), one per
// CP932 byte. Bitmap roles draw at the raster position; the title in a
// Japanese face draws outline glyphs one em per unit at the modelview origin.
// Double-byte characters are drawn whole in every role: each one gets a list
// of its own the first time it is drawn (names from 10000 up, at most 4096 per
// role; a rebuild of the role recompiles them under the same names, so lists
// that call them follow the new size); past 4096, the scratch list 9000 serves.
//
// How to draw text with a bitmap role:
//   textRasterPos(x, y, z);      // or glColor3d(0,0,0) and then glRasterPos3d
//   glyphs.draw(text, role);     // GlyphRenderer::draw
// The raster colour is latched by the raster-position call, so the colour must
// be set before it. Outside a display list the draw re-latches black itself,
// and textRasterPos places a string whose start lies outside the view (its
// visible part draws). Inside a display list being compiled neither can look at
// the run-time state: the raster position must then be inside the view when the
// list runs, and the colour set before it.
// Text draws nothing in GL_SELECT mode, so labels never become pick hits (this
// too is decided when the draw runs, so not for text compiled into a list).
//
// While a vector picture is captured (output/vectorPicture.h), the draw hands
// every text to the renderer's text sink instead of drawing glyphs, so that the
// picture holds it as text at the same raster position, in the role's family
// and size. Glyph bitmaps would not survive GL feedback at all.
//
// List names belong to the GL context, so there is one set of glyph lists per
// context, shared by every view that draws into it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "settings/settingsTables.h"

namespace kelvra {

inline constexpr int kDefaultCellHeight = 12;   // pixels, for a size product that truncates to 0
inline constexpr int kMaxGlyphPixels = 1000;    // cell and em sizes are clamped to this
inline constexpr int kWideListBase = 10000;     // first list of the double-byte glyphs
inline constexpr int kWideListsPerRole = 4096;

// Cell height in pixels (ascent + descent, as Windows sizes fonts) of a bitmap
// role: trunc(fontSize * k / 100) with k the zoom, the axis-indicator size or
// the legend size. 0 gives kDefaultCellHeight; a negative value is an em size.
// Times the pixel scale of a picture drawn larger than the window (render/feedbackState.h).
int glyphCellHeight(const GraphSettings& s, TextRole role);
// True when the role draws outline glyphs: the title in one of the Japanese faces.
bool roleUsesOutlines(const GraphSettings& s, TextRole role);

// Sets colour black and the raster position for the draw at (x, y, z) in
// object coordinates. See the header comment for display lists.
void textRasterPos(double x, double y, double z);

// What a role was last built with (for tests and diagnostics).
struct RoleGlyphInfo {
    bool built = false;
    bool outline = false;
    int cellHeight = 0;        // bitmap roles
    int emPixels = 0;          // bitmap roles, in the role's own face
    std::string family;        // the family fontconfig found
    int cachedWideGlyphs = 0;  // double-byte characters that have a list of their own
};

// A text as the draw hands it to the text sink. The raster position and its
// colour are where and how the glyphs would have been drawn.
struct TextSpan {
    std::string_view text;     // CP932 bytes
    TextRole role = RoleTitle;
    std::string_view family;   // the family fontconfig found for the role's face
    bool symbolFace = false;   // the face takes bytes as character codes, not CP932
    bool bold = false;
    double emPixels = 0;       // em size in pixels at the raster position
};
using TextSink = std::function<void(const TextSpan&)>;

// Draws a text handed to the sink as filled glyph outlines (front faces, no
// depth) at the current raster position, in the raster colour: for a picture
// that cannot hold the text as text. Needs the raster position valid.
void drawTextOutlines(const TextSpan& span);

class GlyphRenderer {
public:
    GlyphRenderer();
    ~GlyphRenderer();
    // (Re)builds the 256 lists of every role in the current GL context. A role
    // whose face and size did not change keeps its lists.
    void build(const GraphSettings& s);
    // Draws text with a role at the current raster position (bitmap roles) or
    // at the modelview origin (outline title), as the header comment says.
    void draw(std::string_view text, TextRole role);
    // Deletes every glyph list made in the current context.
    void destroy();
    // Forgets what the lists hold without deleting them: call it after making
    // another GL context current, so that the next build compiles every role there.
    void forgetBuiltLists();
    RoleGlyphInfo roleInfo(TextRole role) const;
    // Texts go to `sink` while it is set (see the header comment); null draws glyphs again.
    void setTextSink(const TextSink* sink) { sink_ = sink; }

private:
    const TextSink* sink_ = nullptr;
};

}  // namespace kelvra
