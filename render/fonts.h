// Font faces for the glyph lists. The settings name one of 41 Windows face
// names; a fixed table maps each to a family that Debian ships, fontconfig finds
// its file and FreeType opens it. Faces stay open for the life of the program
// (a zoom change rebuilds the lists at a new size, never reopens a file), and
// rendered bitmap glyphs are kept per face and size, so a rebuild at a size seen
// before costs only the list compiles. Only this header and fonts.cpp see
// fontconfig and FreeType.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

namespace kelvra {

// Where a face name of the settings lands.
struct FaceSubstitute {
    const char* family;   // fontconfig family, checked against what it returns
    bool bold;
    bool cffOnly;         // ask for the OpenType file (a Type 1 file is found first otherwise)
    bool symbol;          // bytes are character codes, not CP932
};
// The substitute of face `faceIndex` (0..40); any other index gives Liberation Sans.
const FaceSubstitute& faceSubstitute(int faceIndex);

// An open face. Several face indices may share one.
struct FontFace {
    FT_Face face = nullptr;
    std::string family;        // the family fontconfig returned
    bool exactFamily = false;  // it is the family the table asks for
    bool embolden = false;     // fontconfig asked for synthetic bold
    bool symbol = false;
    int unitsPerEm = 1000;
    int cellUnits = 1000;      // usWinAscent + usWinDescent, in font units
    int currentEm = 0;         // pixel size last set on `face`
};

// The face for a face index, opened on first use; nullptr only when fontconfig
// finds no scalable font at all.
FontFace* fontFaceFor(int faceIndex);
// IPAPGothic: drawn per glyph for characters the role's face lacks.
FontFace* fallbackFace();

// Em size in pixels for a Windows-style character cell height in pixels
// (ascent + descent as the OS/2 table gives them). A negative height is the em
// size itself. Never less than 1.
int emPixelsForCellHeight(const FontFace& face, int cellHeight);

// A glyph chosen for a character: the face that has it and its index there.
struct GlyphRef {
    FontFace* face = nullptr;
    unsigned index = 0;
};
// The glyph of code point `cp` in `primary`, else in the fallback face, else the
// primary face's missing-glyph box. U+FFFD falls back to that box too.
GlyphRef findGlyph(FontFace* primary, char32_t cp);
// A symbol face's glyph for a byte: the byte is the character code.
GlyphRef symbolGlyph(FontFace* face, unsigned char byte);

// A monochrome glyph ready for glBitmap.
struct GlyphBitmap {
    int width = 0, rows = 0;           // pixels
    int left = 0, top = 0;             // pen position to the top-left pixel (top counts up)
    float advance = 0;                 // pen advance in pixels
    std::vector<unsigned char> bits;   // rows bottom-up, (width + 7) / 8 bytes each, MSB first
};
// The glyph rendered at `emPx` pixels per em. The reference stays valid until
// the next call (the cache may be emptied when it grows large).
const GlyphBitmap& bitmapGlyph(GlyphRef glyph, int emPx);

// A glyph outline in em units (1 em = 1.0), curves flattened to line segments.
struct GlyphOutline {
    std::vector<std::vector<double>> contours;   // x0, y0, x1, y1, ...; closed, no repeated end point
    bool evenOdd = false;                        // fill rule
    bool clockwiseOuter = false;                 // TrueType order: outer contours run clockwise
    double advance = 0;                          // em units
};
// False when the glyph cannot be loaded (the outline is then empty with no advance).
bool glyphOutline(GlyphRef glyph, GlyphOutline* out);

}  // namespace kelvra
