// Text in the picture: the glyph lists of the seven roles and drawText.
//
// List names belong to the GL context, not to a view, so the record of what
// each role's lists hold is kept once here: a rebuild that would compile the
// same glyphs again (a zoom change leaves the axis-indicator and legend roles
// alone, the outline title does not depend on the zoom at all) is skipped.
// Rendered glyph bitmaps are cached in fonts.cpp, so a rebuild at a size seen
// before costs only the list compiles.
#include "render/text.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <deque>
#include <unordered_map>

#include "base/cp932.h"
#include "settings/graphSettings.h"
#include "render/displayLists.h"
#include "render/feedbackState.h"
#include "render/fonts.h"
#include "settings/settingsTables.h"

namespace kelvra {
namespace {

struct RoleLists {
    bool built = false;
    bool outline = false;
    FontFace* face = nullptr;
    int cellHeight = 0;    // the window's, as at pixel scale 1
    double scale = 1.0;    // the pixel scale the lists were built at
    std::unordered_map<uint16_t, GLuint> wide;   // double-byte code -> its list
};

// What the lists of the current context hold.
RoleLists roleLists[kTextRoleCount];

GLuint roleBase(TextRole role) {
    assert(role >= 0 && role < RoleCount);
    return GLuint(kTextRoles[role].listBase);
}

bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// The character a single byte stands for in CP932; 0 for bytes that draw
// nothing (control codes, lead bytes), U+FFFD for bytes that name no character.
char32_t singleByteChar(unsigned char b) {
    if (b < 0x20 || b == 0x7F) return 0;
    if (b < 0x7F) return b;
    if (b >= 0xA1 && b <= 0xDF) return 0xFF61 + (b - 0xA1);   // half-width katakana
    if (isCp932LeadByte(b)) return 0;
    return 0xFFFD;                                             // 0x80, 0xA0, 0xFD..0xFF
}

// Glyph of one byte of a role's 256 lists.
GlyphRef byteGlyph(FontFace* face, unsigned char b) {
    if (!face || b < 0x20 || b == 0x7F) return {};
    if (face->symbol) return symbolGlyph(face, b);
    char32_t cp = singleByteChar(b);
    return cp ? findGlyph(face, cp) : GlyphRef{};
}

// Glyph of a double-byte code; a low byte of 0 stands for a lead byte without
// a valid trail byte, drawn as the replacement character.
GlyphRef wideGlyph(FontFace* face, uint16_t code) {
    unsigned char lead = code >> 8, trail = code & 0xFF;
    char32_t cp = trail ? cp932CodePoint(lead, trail) : char32_t(0xFFFD);
    return findGlyph(face, cp);
}

// ---- bitmap glyphs ----

// glBitmap copies the bits into a list with the unpack state in force when the
// list is compiled, so it is set for tight rows around every compile.
struct TightUnpack {
    TightUnpack() {
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    }
    ~TightUnpack() { glPopClientAttrib(); }
};

// A bitmap role's em in `face`: the em of the window's cell, times the pixel
// scale. The em of a cell K times as high rounds on its own (45 pixels for a
// 48-pixel cell where the window's 12-pixel cell has 11), and the text of a
// picture K times the window's size is K times the window's text.
int roleEmPixels(const FontFace& face, const RoleLists& r) {
    return std::max(1, int(std::lround(emPixelsForCellHeight(face, r.cellHeight) * r.scale)));
}

void emitBitmapGlyph(GlyphRef ref, const RoleLists& r) {
    if (!ref.face) return;
    const GlyphBitmap& g = bitmapGlyph(ref, roleEmPixels(*ref.face, r));
    if (g.bits.empty()) {
        glBitmap(0, 0, 0, 0, g.advance, 0, nullptr);
        return;
    }
    // The raster position is the pen on the baseline.
    glBitmap(g.width, g.rows, float(-g.left), float(g.rows - g.top), g.advance, 0, g.bits.data());
}

// ---- outline glyphs ----

using Vertex = std::array<GLdouble, 3>;

void GLAPIENTRY combineVertex(GLdouble coords[3], void* /*data*/[4], GLfloat /*weight*/[4], void** out,
                              void* polygonData) {
    auto* store = static_cast<std::deque<Vertex>*>(polygonData);
    store->push_back({coords[0], coords[1], coords[2]});
    *out = store->back().data();
}
void GLAPIENTRY ignoreTessError(GLenum) {}

// Emits a glyph as polygons: the face at z = 0, the back at z = -1 and the
// sides between (or the face alone: frontOnly), then moves the pen by the
// advance. One em is one unit.
class OutlineEmitter {
public:
    explicit OutlineEmitter(bool frontOnly = false) : tess_(gluNewTess()), frontOnly_(frontOnly) {
        if (!tess_) return;
        gluTessCallback(tess_, GLU_TESS_BEGIN, reinterpret_cast<_GLUfuncptr>(glBegin));
        gluTessCallback(tess_, GLU_TESS_VERTEX, reinterpret_cast<_GLUfuncptr>(glVertex3dv));
        gluTessCallback(tess_, GLU_TESS_END, reinterpret_cast<_GLUfuncptr>(glEnd));
        gluTessCallback(tess_, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(combineVertex));
        // With an edge-flag callback the tessellator emits separate triangles
        // only. Mesa 22.3 crashes when a display list that mixes strips, fans
        // and triangles runs in selection or feedback mode.
        gluTessCallback(tess_, GLU_TESS_EDGE_FLAG, reinterpret_cast<_GLUfuncptr>(glEdgeFlag));
        gluTessCallback(tess_, GLU_TESS_ERROR, reinterpret_cast<_GLUfuncptr>(ignoreTessError));
    }
    ~OutlineEmitter() {
        if (tess_) gluDeleteTess(tess_);
    }
    OutlineEmitter(const OutlineEmitter&) = delete;
    OutlineEmitter& operator=(const OutlineEmitter&) = delete;

    // Returns the advance, in ems.
    double emit(GlyphRef ref) {
        if (!ref.face) return 0.0;
        GlyphOutline g;
        glyphOutline(ref, &g);
        if (tess_ && !g.contours.empty()) {
            gluTessProperty(tess_, GLU_TESS_WINDING_RULE, g.evenOdd ? GLU_TESS_WINDING_ODD : GLU_TESS_WINDING_NONZERO);
            cap(g, 0.0, 1.0);
            if (!frontOnly_) {
                cap(g, -1.0, -1.0);
                sides(g);
            }
        }
        glTranslated(g.advance, 0.0, 0.0);
        return g.advance;
    }

private:
    void cap(const GlyphOutline& g, double z, double normal) {
        vertices_.clear();
        combined_.clear();
        size_t total = 0;
        for (const auto& c : g.contours) total += c.size() / 2;
        vertices_.reserve(total);   // the tessellator keeps pointers into it
        gluTessNormal(tess_, 0.0, 0.0, normal);
        glNormal3d(0.0, 0.0, normal);
        gluTessBeginPolygon(tess_, &combined_);
        for (const auto& c : g.contours) {
            gluTessBeginContour(tess_);
            for (size_t i = 0; i + 1 < c.size(); i += 2) {
                vertices_.push_back({c[i], c[i + 1], z});
                gluTessVertex(tess_, vertices_.back().data(), vertices_.back().data());
            }
            gluTessEndContour(tess_);
        }
        gluTessEndPolygon(tess_);
    }

    // One quad per edge with the edge's outward normal. Outer contours run
    // clockwise in TrueType outlines and counter-clockwise in CFF ones.
    void sides(const GlyphOutline& g) {
        double sign = g.clockwiseOuter ? -1.0 : 1.0;
        glBegin(GL_QUADS);
        for (const auto& c : g.contours) {
            size_t n = c.size() / 2;
            for (size_t i = 0; i < n; ++i) {
                size_t j = (i + 1) % n;
                double x0 = c[2 * i], y0 = c[2 * i + 1], x1 = c[2 * j], y1 = c[2 * j + 1];
                glNormal3d(sign * (y1 - y0), sign * (x0 - x1), 0.0);
                glVertex3d(x0, y0, 0.0);
                glVertex3d(x0, y0, -1.0);
                glVertex3d(x1, y1, -1.0);
                glVertex3d(x1, y1, 0.0);
            }
        }
        glEnd();
    }

    GLUtesselator* tess_;
    bool frontOnly_;
    std::vector<Vertex> vertices_;
    std::deque<Vertex> combined_;
};

// ---- building and drawing ----

void deleteWideLists(RoleLists& r) {
    for (auto& [code, name] : r.wide) glDeleteLists(name, 1);
    r.wide.clear();
}

void emitWideGlyph(const RoleLists& r, uint16_t code);

void compileRole(TextRole role, RoleLists& r) {
    GLuint base = roleBase(role);
    if (r.outline) {
        OutlineEmitter emitter;
        for (int b = 0; b < 256; ++b) {
            glNewList(base + b, GL_COMPILE);
            emitter.emit(byteGlyph(r.face, static_cast<unsigned char>(b)));
            glEndList();
        }
        return;
    }
    TightUnpack unpack;
    for (int b = 0; b < 256; ++b) {
        glNewList(base + b, GL_COMPILE);
        emitBitmapGlyph(byteGlyph(r.face, static_cast<unsigned char>(b)), r);
        glEndList();
    }
}

// The double-byte lists made so far keep their names and get the new face or
// size, like the 256 lists: a display list compiled earlier that calls one of
// them keeps showing the right character.
void recompileWideLists(const RoleLists& r) {
    for (const auto& [code, name] : r.wide) {
        glNewList(name, GL_COMPILE);
        emitWideGlyph(r, code);
        glEndList();
    }
}

void emitWideGlyph(const RoleLists& r, uint16_t code) {
    GlyphRef ref = wideGlyph(r.face, code);
    if (r.outline) {
        OutlineEmitter emitter;
        emitter.emit(ref);
        return;
    }
    TightUnpack unpack;
    emitBitmapGlyph(ref, r);
}

// Draws one double-byte character from its cached list. While another list is
// being compiled no new list can be opened, so the glyph goes into that list.
void drawWide(TextRole role, RoleLists& r, uint16_t code, bool compiling) {
    auto it = r.wide.find(code);
    if (it != r.wide.end()) {
        glCallList(it->second);
        return;
    }
    if (compiling) {
        emitWideGlyph(r, code);
        return;
    }
    bool cache = r.wide.size() < size_t(kWideListsPerRole);
    GLuint name = cache ? GLuint(kWideListBase + role * kWideListsPerRole + int(r.wide.size()))
                        : GLuint(ListScratchGlyph);
    glNewList(name, GL_COMPILE);
    emitWideGlyph(r, code);
    glEndList();
    if (cache) r.wide.emplace(code, name);
    glCallList(name);
}

// Splits text into runs of single-byte characters, run(first, count), and
// double-byte characters, wide(code), in order. A symbol face has no
// double-byte characters.
template <class Run, class Wide>
void walkCharacters(std::string_view text, bool symbol, Run run, Wide wide) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size(), runStart = 0, i = 0;
    auto flush = [&](size_t end) {
        if (end > runStart) run(bytes + runStart, end - runStart);
    };
    while (i < n) {
        if (symbol || !isCp932LeadByte(bytes[i])) {
            ++i;
            continue;
        }
        flush(i);
        uint16_t code;
        if (i + 1 < n && isTrailByte(bytes[i + 1])) {
            code = uint16_t(bytes[i] << 8 | bytes[i + 1]);
            i += 2;
        } else {
            code = uint16_t(bytes[i] << 8);   // a lead byte alone: replacement character
            i += 1;
        }
        wide(code);
        runStart = i;
    }
    flush(n);
}

// Calls the lists of the bytes: runs of single bytes through glCallLists from
// the role's base, double-byte characters one by one.
void drawBytes(std::string_view text, TextRole role, RoleLists& r, bool compiling) {
    glListBase(roleBase(role));
    walkCharacters(
        text, r.face && r.face->symbol,
        [](const unsigned char* first, size_t count) { glCallLists(GLsizei(count), GL_UNSIGNED_BYTE, first); },
        [&](uint16_t code) { drawWide(role, r, code, compiling); });
}

// Pixels per em of the outline title: one em is one unit of the modelview
// the caller set up.
double outlineEmPixels() {
    GLdouble modelview[16], projection[16], x0, y0, z0, x1, y1, z1;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (gluProject(0, 0, 0, modelview, projection, viewport, &x0, &y0, &z0) != GL_TRUE ||
        gluProject(1, 0, 0, modelview, projection, viewport, &x1, &y1, &z1) != GL_TRUE)
        return 0;
    return std::hypot(x1 - x0, y1 - y0);
}

}  // namespace

namespace {

int windowCellHeight(const GraphSettings& s, TextRole role) {
    assert(role >= 0 && role < RoleCount);
    long long k = kTextRoles[role].sizeFollows == SizeSource::AxisSize     ? s.axisSize
                  : kTextRoles[role].sizeFollows == SizeSource::LegendSize ? s.legendSize
                                                                           : s.viewZoom;
    // Integer arithmetic truncates toward zero like the size product in floating point.
    long long h = (long long)s.fontSize[role] * k / 100;
    if (h == 0) h = kDefaultCellHeight;
    return int(std::clamp<long long>(h, -kMaxGlyphPixels, kMaxGlyphPixels));
}

}  // namespace

int glyphCellHeight(const GraphSettings& s, TextRole role) {
    // A picture K times the window's size: the window's cell, K times as high.
    return int(std::lround(double(windowCellHeight(s, role)) * pixelScale()));
}

bool roleUsesOutlines(const GraphSettings& s, TextRole role) {
    return role == RoleTitle && s.fontFace[0] >= 0 && s.fontFace[0] < kJapaneseFaceCount;
}

void textRasterPos(double x, double y, double z) {
    glColor3d(0.0, 0.0, 0.0);
    GLint listIndex = 0;
    glGetIntegerv(GL_LIST_INDEX, &listIndex);
    if (listIndex != 0) {
        glRasterPos3d(x, y, z);
        return;
    }
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (mode == GL_SELECT) return;   // a valid raster position would be a pick hit
    // glRasterPos drops a point outside the view volume, and with it the whole
    // string; a window position is always valid and glBitmap clips per pixel.
    GLdouble modelview[16], projection[16], wx, wy, wz;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (gluProject(x, y, z, modelview, projection, viewport, &wx, &wy, &wz) == GL_TRUE && wz >= 0.0 && wz <= 1.0)
        glWindowPos3d(wx, wy, wz);
    else
        glRasterPos3d(x, y, z);   // in front of or behind the view: nothing to see
}

void drawTextOutlines(const TextSpan& span) {
    assert(span.role >= 0 && span.role < RoleCount);
    FontFace* face = roleLists[span.role].face;
    GLint valid = GL_FALSE, viewport[4];
    glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (!face || !valid || !(span.emPixels > 0)) return;
    GLfloat pos[4], colour[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, pos);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    glGetIntegerv(GL_VIEWPORT, viewport);

    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT | GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    for (int i = 0; i < 6; ++i) glDisable(GL_CLIP_PLANE0 + i);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4fv(colour);
    // Window coordinates with the window depth as eye z (near 0, far -1), so
    // the glyphs lie where the bitmap would have, at its depth.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], 0.0, -1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslated(pos[0], pos[1], pos[2]);
    glScaled(span.emPixels, span.emPixels, 0.0);
    OutlineEmitter emitter(/*frontOnly=*/true);
    // The pen only moves right: past the viewport's right edge nothing more
    // can show, so a text of any length costs at most a picture's width of
    // glyphs (a 300 000-character title drew 300 000 outlines into a PDF).
    const double rightEdge = viewport[0] + viewport[2];
    double pen = pos[0];
    const auto glyph = [&](GlyphRef ref) {
        if (pen <= rightEdge) pen += emitter.emit(ref) * span.emPixels;
    };
    walkCharacters(
        span.text, face->symbol,
        [&](const unsigned char* first, size_t count) {
            for (size_t i = 0; i < count && pen <= rightEdge; ++i) glyph(byteGlyph(face, first[i]));
        },
        [&](uint16_t code) { glyph(wideGlyph(face, code)); });
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

GlyphRenderer::GlyphRenderer() = default;
GlyphRenderer::~GlyphRenderer() = default;

void GlyphRenderer::build(const GraphSettings& s) {
    for (int i = 0; i < RoleCount; ++i) {
        const TextRole role = TextRole(i);
        RoleLists& r = roleLists[role];
        bool outline = roleUsesOutlines(s, role);
        FontFace* face = fontFaceFor(s.fontFace[role]);
        int cell = outline ? 0 : windowCellHeight(s, role);
        if (r.built && r.outline == outline && r.face == face && r.cellHeight == cell && r.scale == pixelScale() &&
            glIsList(roleBase(role)))
            continue;
        r.outline = outline;
        r.face = face;
        r.cellHeight = cell;
        r.scale = pixelScale();
        compileRole(role, r);
        recompileWideLists(r);
        r.built = true;
    }
}

void GlyphRenderer::draw(std::string_view text, TextRole role) {
    assert(role >= 0 && role < RoleCount);
    if (text.empty()) return;
    RoleLists& r = roleLists[role];
    if (!r.built) return;
    GLint listIndex = 0;
    glGetIntegerv(GL_LIST_INDEX, &listIndex);
    bool compiling = listIndex != 0;
    if (!compiling) {
        GLint mode = GL_RENDER;
        glGetIntegerv(GL_RENDER_MODE, &mode);
        if (mode == GL_SELECT) return;
    }
    if (sink_ && !compiling) {
        TextSpan span;
        span.text = text;
        span.role = role;
        if (r.face) {
            span.family = r.face->family;
            span.symbolFace = r.face->symbol;
            span.bold = r.face->embolden || (r.face->face && (r.face->face->style_flags & FT_STYLE_FLAG_BOLD));
        }
        span.emPixels = r.outline ? outlineEmPixels() : r.face ? roleEmPixels(*r.face, r) : 0;
        (*sink_)(span);
        return;
    }

    if (r.outline) {
        // Each glyph list moves the pen by its advance; the caller's matrix and
        // colour come back unchanged. The text takes the current colour.
        glPushAttrib(GL_CURRENT_BIT | GL_LIST_BIT | GL_TRANSFORM_BIT);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        drawBytes(text, role, r, compiling);
        glPopMatrix();
        glPopAttrib();
        return;
    }

    // Bitmap text is black. The raster colour was latched when the caller set
    // the raster position, so the position is set again after the colour.
    glColor3d(0.0, 0.0, 0.0);
    if (!compiling) {
        GLint valid = GL_FALSE;
        glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
        if (!valid) return;
        GLfloat pos[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, pos);
        glWindowPos3d(windowPixelCorner(pos[0], 0), windowPixelCorner(pos[1], 1), pos[2]);
    }
    glPushAttrib(GL_LIST_BIT);
    drawBytes(text, role, r, compiling);
    glPopAttrib();
}

void GlyphRenderer::destroy() {
    for (int i = 0; i < RoleCount; ++i) {
        const TextRole role = TextRole(i);
        RoleLists& r = roleLists[role];
        deleteWideLists(r);
        if (r.built) glDeleteLists(roleBase(role), 256);
        r = RoleLists{};
    }
    if (glIsList(ListScratchGlyph)) glDeleteLists(ListScratchGlyph, 1);
}

void GlyphRenderer::forgetBuiltLists() {
    for (RoleLists& r : roleLists) r = RoleLists{};
}

RoleGlyphInfo GlyphRenderer::roleInfo(TextRole role) const {
    assert(role >= 0 && role < RoleCount);
    RoleGlyphInfo info;
    const RoleLists& r = roleLists[role];
    info.built = r.built;
    info.outline = r.outline;
    info.cellHeight = int(std::lround(r.cellHeight * r.scale));
    info.emPixels = r.face && !r.outline ? roleEmPixels(*r.face, r) : 0;
    info.family = r.face ? r.face->family : std::string();
    info.cachedWideGlyphs = int(r.wide.size());
    return info;
}

}  // namespace kelvra
