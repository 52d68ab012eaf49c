// Face lookup and glyph rasterising for the glyph lists (see fonts.h).
//
// fontconfig's own substitutions are not trusted: with the default
// configuration the Japanese face names resolve to a Latin family and some
// names to dingbat fonts. So every face name goes through the table below, and
// the family fontconfig returns is compared with the one asked for.
#include "render/fonts.h"

#include <fontconfig/fontconfig.h>
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>

#include "settings/settingsTables.h"

namespace kelvra {
namespace {

// One row per face name of the settings, in the order of kFontFaceNames.
const FaceSubstitute kSubstitutes[] = {
    {"IPAPGothic", false, false, false},           // 0 ＭＳ Ｐゴシック
    {"IPAPMincho", false, false, false},           // 1 ＭＳ Ｐ明朝
    {"IPAGothic", false, false, false},            // 2 ＭＳ ゴシック
    {"IPAMincho", false, false, false},            // 3 ＭＳ 明朝
    {"IPAPGothic", false, false, false},           // 4 MS UI Gothic
    {"Liberation Sans", false, false, false},      // 5 Arial
    {"Liberation Sans", true, false, false},       // 6 Arial Black
    {"Liberation Sans", false, false, false},      // 7 Arial CE
    {"Liberation Sans", false, false, false},      // 8 Arial CYR
    {"Liberation Sans", false, false, false},      // 9 Arial Greek
    {"Nimbus Sans Narrow", false, true, false},    // 10 Arial Narrow
    {"Liberation Sans", false, false, false},      // 11 Arial TUR
    {"P052", false, false, false},                 // 12 Book Antiqua
    {"URW Bookman", false, false, false},          // 13 Bookman Old Style
    {"C059", false, false, false},                 // 14 Century
    {"DejaVu Sans", false, false, false},          // 15 Comic Sans MS
    {"Liberation Mono", false, false, false},      // 16 Courier New
    {"Liberation Mono", false, false, false},      // 17 Courier New CE
    {"Liberation Mono", false, false, false},      // 18 Courier New CYR
    {"Liberation Mono", false, false, false},      // 19 Courier New Greek
    {"Liberation Mono", false, false, false},      // 20 Courier New TUR
    {"Liberation Serif", false, false, false},     // 21 Garamond
    {"DejaVu Serif", false, false, false},         // 22 Georgia
    {"Nimbus Sans Narrow", true, true, false},     // 23 Haettenschweiler
    {"Nimbus Sans Narrow", true, true, false},     // 24 Impact
    {"DejaVu Sans Mono", false, false, false},     // 25 Lucida Console
    {"DejaVu Sans", false, false, false},          // 26 Lucida Sans Unicode
    {"DejaVu Sans", false, false, false},          // 27 Modern
    {"Z003", false, false, false},                 // 28 Monotype Corsiva
    {"P052", false, false, false},                 // 29 Palatino Linotype
    {"Liberation Serif", false, false, false},     // 30 Roman
    {"Z003", false, false, false},                 // 31 Script
    {"Standard Symbols PS", false, false, true},   // 32 Symbol
    {"DejaVu Sans", false, false, false},          // 33 Tahoma
    {"Liberation Serif", false, false, false},     // 34 Times New Roman
    {"Liberation Serif", false, false, false},     // 35 Times New Roman CE
    {"Liberation Serif", false, false, false},     // 36 Times New Roman CYR
    {"Liberation Serif", false, false, false},     // 37 Times New Roman Greek
    {"Liberation Serif", false, false, false},     // 38 Times New Roman TUR
    {"DejaVu Sans", false, false, false},          // 39 Trebuchet MS
    {"DejaVu Sans", false, false, false},          // 40 Verdana
};
static_assert(std::size(kSubstitutes) == kFontFaceCount, "kSubstitutes out of step with kFontFaceNames");

const FaceSubstitute kUnknownFace = {"Liberation Sans", false, false, false};
const char kFallbackFamily[] = "IPAPGothic";

// Rendered glyphs are dropped all at once past this many bytes; a session
// that zooms through many sizes would otherwise keep every size it saw.
constexpr size_t kBitmapCacheLimit = 32u << 20;

struct Library {
    FT_Library ft = nullptr;
    bool fcReady = false;
    std::map<std::string, std::unique_ptr<FontFace>> faces;   // by family, bold, format
    // Rendered glyphs by face, em size and glyph index.
    std::unordered_map<const FontFace*, std::unordered_map<uint64_t, GlyphBitmap>> bitmaps;
    size_t bitmapBytes = 0;

    Library() {
        if (FT_Init_FreeType(&ft) != 0) ft = nullptr;
        fcReady = FcInit();
    }
    ~Library() {
        bitmaps.clear();
        for (auto& [key, f] : faces)
            if (f->face) FT_Done_Face(f->face);
        faces.clear();
        if (ft) FT_Done_FreeType(ft);
    }
};

Library& library() {
    static Library lib;
    return lib;
}

bool familyMatches(FcPattern* match, const char* family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0) return true;
    }
    return false;
}

// fontconfig's best match for a family; lang, when given, asks for a face that
// covers that language instead of insisting on the family.
FcPattern* matchFamily(const char* family, bool bold, bool cffOnly, const char* lang) {
    FcPattern* p = FcPatternCreate();
    if (!p) return nullptr;
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(p, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(p, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(p, FC_SCALABLE, FcTrue);
    if (cffOnly) FcPatternAddString(p, FC_FONTFORMAT, reinterpret_cast<const FcChar8*>("CFF"));
    if (lang) FcPatternAddString(p, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result;
    FcPattern* m = FcFontMatch(nullptr, p, &result);
    FcPatternDestroy(p);
    return m;
}

// Reads the cell height (usWinAscent + usWinDescent) that Windows sizes a
// face by; faces without an OS/2 table use their ascender and descender.
int cellUnitsOf(FT_Face face) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
        return os2->usWinAscent + os2->usWinDescent;
    int units = face->ascender - face->descender;
    return units > 0 ? units : face->units_per_EM;
}

FontFace* openFace(const char* family, bool bold, bool cffOnly, bool symbol) {
    Library& lib = library();
    std::string key = std::string(family) + (bold ? "|b" : "|r") + (cffOnly ? "|cff" : "");
    auto it = lib.faces.find(key);
    if (it != lib.faces.end()) return it->second->face ? it->second.get() : nullptr;

    auto f = std::make_unique<FontFace>();
    FontFace* result = nullptr;
    if (lib.ft && lib.fcReady) {
        FcPattern* m = matchFamily(family, bold, cffOnly, nullptr);
        bool exact = m && familyMatches(m, family);
        // A missing Japanese family is better served by any face that covers
        // Japanese than by fontconfig's Latin default.
        if (m && !exact && std::strncmp(family, "IPA", 3) == 0) {
            FcPatternDestroy(m);
            m = matchFamily(family, bold, false, "ja");
        }
        FcChar8* file = nullptr;
        int index = 0;
        if (m && FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(m, FC_INDEX, 0, &index);
            FT_Face face = nullptr;
            if (FT_New_Face(lib.ft, reinterpret_cast<const char*>(file), index, &face) == 0) {
                f->face = face;
                FcChar8* name = nullptr;
                if (FcPatternGetString(m, FC_FAMILY, 0, &name) == FcResultMatch)
                    f->family = reinterpret_cast<const char*>(name);
                f->exactFamily = exact;
                FcBool embolden = FcFalse;
                if (FcPatternGetBool(m, FC_EMBOLDEN, 0, &embolden) == FcResultMatch)
                    f->embolden = embolden;
                f->symbol = symbol;
                f->unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
                f->cellUnits = cellUnitsOf(face);
                if (symbol) {
                    // Prefer a symbol cmap where the face has one (codes at 0xF000 + byte).
                    for (int i = 0; i < face->num_charmaps; ++i)
                        if (face->charmaps[i]->encoding == FT_ENCODING_MS_SYMBOL)
                            FT_Set_Charmap(face, face->charmaps[i]);
                }
                result = f.get();
            }
        }
        if (m) FcPatternDestroy(m);
    }
    lib.faces.emplace(key, std::move(f));
    return result;
}

// Flattens FreeType's contours into line segments in font units.
struct OutlineSink {
    GlyphOutline* out;
    double scale;     // font units to em
    double lastX = 0, lastY = 0;
    void add(double x, double y) {
        auto& c = out->contours.back();
        c.push_back(x * scale);
        c.push_back(y * scale);
        lastX = x;
        lastY = y;
    }
};

int moveTo(const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->out->contours.emplace_back();
    s->add(to->x, to->y);
    return 0;
}
int lineTo(const FT_Vector* to, void* user) {
    static_cast<OutlineSink*>(user)->add(to->x, to->y);
    return 0;
}
int conicTo(const FT_Vector* c, const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    double x0 = s->lastX, y0 = s->lastY;
    const int steps = 6;
    for (int i = 1; i <= steps; ++i) {
        double t = double(i) / steps, u = 1 - t;
        s->add(u * u * x0 + 2 * u * t * c->x + t * t * to->x, u * u * y0 + 2 * u * t * c->y + t * t * to->y);
    }
    return 0;
}
int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    double x0 = s->lastX, y0 = s->lastY;
    const int steps = 8;
    for (int i = 1; i <= steps; ++i) {
        double t = double(i) / steps, u = 1 - t;
        double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        s->add(a * x0 + b * c1->x + c * c2->x + d * to->x, a * y0 + b * c1->y + c * c2->y + d * to->y);
    }
    return 0;
}

}  // namespace

const FaceSubstitute& faceSubstitute(int faceIndex) {
    if (faceIndex < 0 || faceIndex >= kFontFaceCount) return kUnknownFace;
    return kSubstitutes[faceIndex];
}

FontFace* fontFaceFor(int faceIndex) {
    const FaceSubstitute& s = faceSubstitute(faceIndex);
    if (FontFace* f = openFace(s.family, s.bold, s.cffOnly, s.symbol)) return f;
    // The substitute is not installed at all: any scalable face beats no text.
    return openFace(kUnknownFace.family, false, false, false);
}

FontFace* fallbackFace() { return openFace(kFallbackFamily, false, false, false); }

int emPixelsForCellHeight(const FontFace& face, int cellHeight) {
    if (cellHeight < 0) return -cellHeight;
    long em = std::lround(double(cellHeight) * face.unitsPerEm / face.cellUnits);
    return em < 1 ? 1 : int(em);
}

GlyphRef findGlyph(FontFace* primary, char32_t cp) {
    if (!primary) return {};
    if (unsigned gi = FT_Get_Char_Index(primary->face, cp)) return {primary, gi};
    FontFace* fb = fallbackFace();
    if (fb && fb != primary) {
        if (unsigned gi = FT_Get_Char_Index(fb->face, cp)) return {fb, gi};
    }
    return {primary, 0};
}

GlyphRef symbolGlyph(FontFace* face, unsigned char byte) {
    if (!face) return {};
    if (face->face->charmap && face->face->charmap->encoding == FT_ENCODING_MS_SYMBOL) {
        if (unsigned gi = FT_Get_Char_Index(face->face, 0xF000u + byte)) return {face, gi};
    }
    return {face, FT_Get_Char_Index(face->face, byte)};
}

const GlyphBitmap& bitmapGlyph(GlyphRef glyph, int emPx) {
    static const GlyphBitmap empty;
    if (!glyph.face) return empty;
    Library& lib = library();
    uint64_t key = (uint64_t(uint32_t(emPx)) << 32) | glyph.index;
    auto& perFace = lib.bitmaps[glyph.face];
    auto it = perFace.find(key);
    if (it != perFace.end()) return it->second;
    if (lib.bitmapBytes > kBitmapCacheLimit) {
        lib.bitmaps.clear();
        lib.bitmapBytes = 0;
    }

    GlyphBitmap g;
    FT_Face face = glyph.face->face;
    if (glyph.face->currentEm != emPx) {
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(emPx));
        glyph.face->currentEm = emPx;
    }
    bool ok = FT_Load_Glyph(face, glyph.index, FT_LOAD_TARGET_MONO) == 0;
    if (ok && glyph.face->embolden && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_GlyphSlot_Embolden(face->glyph);
    if (ok && face->glyph->format != FT_GLYPH_FORMAT_BITMAP)
        ok = FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) == 0;
    if (ok) {
        FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& b = slot->bitmap;
        g.advance = float(slot->advance.x / 64.0);
        if (b.pixel_mode == FT_PIXEL_MODE_MONO && b.width > 0 && b.rows > 0) {
            g.width = int(b.width);
            g.rows = int(b.rows);
            g.left = slot->bitmap_left;
            g.top = slot->bitmap_top;
            int rowBytes = (g.width + 7) / 8;
            g.bits.resize(size_t(rowBytes) * g.rows);
            int pitch = b.pitch < 0 ? -b.pitch : b.pitch;
            // FreeType gives the top row first; glBitmap wants the bottom row first.
            for (int r = 0; r < g.rows; ++r) {
                const unsigned char* src = b.buffer + size_t(b.pitch < 0 ? g.rows - 1 - r : r) * pitch;
                std::memcpy(&g.bits[size_t(g.rows - 1 - r) * rowBytes], src, rowBytes);
            }
        }
    }
    lib.bitmapBytes += g.bits.size() + sizeof(GlyphBitmap) + 32;
    return perFace.emplace(key, std::move(g)).first->second;
}

bool glyphOutline(GlyphRef glyph, GlyphOutline* out) {
    *out = GlyphOutline{};
    if (!glyph.face) return false;
    FT_Face face = glyph.face->face;
    if (FT_Load_Glyph(face, glyph.index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return false;
    // The size set for bitmaps is not used by an unscaled load, so it stays valid.
    FT_GlyphSlot slot = face->glyph;
    double scale = 1.0 / glyph.face->unitsPerEm;
    out->advance = slot->metrics.horiAdvance * scale;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return true;
    FT_Outline& outline = slot->outline;
    out->evenOdd = (outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0;
    out->clockwiseOuter = FT_Outline_Get_Orientation(&outline) == FT_ORIENTATION_TRUETYPE;
    FT_Outline_Funcs funcs = {moveTo, lineTo, conicTo, cubicTo, 0, 0};
    OutlineSink sink{out, scale};
    if (FT_Outline_Decompose(&outline, &funcs, &sink) != 0) {
        out->contours.clear();
        return false;
    }
    // A contour that returns to its start repeats the point; drop the copy, and
    // contours too small to enclose anything.
    for (auto& c : out->contours) {
        size_t n = c.size();
        if (n >= 4 && c[0] == c[n - 2] && c[1] == c[n - 1]) c.resize(n - 2);
    }
    std::erase_if(out->contours, [](const std::vector<double>& c) { return c.size() < 6; });
    return true;
}

}  // namespace kelvra
