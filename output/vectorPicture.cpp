// Vector pictures through GL2PS (see vectorPicture.h).
//
// GL2PS writes to a stdio stream; the stream is a memory buffer here, so the
// file itself is written by the program's safe writer like every other file.
// Its texts and title go into the file as they are, so they are escaped for
// the format first.
#include "output/vectorPicture.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <gl2ps.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "base/appInfo.h"
#include "base/cp932.h"
#include "base/phaseTimes.h"
#include "output/lineVisibility.h"
#include "output/sortSplits.h"
#include "render/feedbackState.h"
#include "render/text.h"

namespace kelvra {
namespace {

GLint gl2psFormat(ImageFormat format) {
    switch (format) {
        case ImageFormat::Svg: return GL2PS_SVG;
        case ImageFormat::Pdf: return GL2PS_PDF;
        case ImageFormat::Eps: return GL2PS_EPS;
        case ImageFormat::Png:
        case ImageFormat::Jpeg:
        case ImageFormat::Bmp: break;   // not vector formats: renderVectorPicture refuses them
    }
    return GL2PS_SVG;
}

// ---- texts ----------------------------------------------------------------------

// The base font of a PDF or EPS reader and the CSS generic family that stand
// in for a family the program draws with.
struct FamilyStandIn {
    const char* family;
    const char* baseFont;
    const char* boldBaseFont;
    const char* generic;
};

// The Japanese faces' proportional Latin letters look like Helvetica and
// Times; their fixed-width faces and the mono families are Courier.
const FamilyStandIn kStandIns[] = {
    {"IPAPGothic", "Helvetica", "Helvetica-Bold", "sans-serif"},
    {"IPAGothic", "Courier", "Courier-Bold", "monospace"},
    {"IPAPMincho", "Times-Roman", "Times-Bold", "serif"},
    {"IPAMincho", "Courier", "Courier-Bold", "monospace"},
    {"Liberation Sans", "Helvetica", "Helvetica-Bold", "sans-serif"},
    {"Liberation Serif", "Times-Roman", "Times-Bold", "serif"},
    {"Liberation Mono", "Courier", "Courier-Bold", "monospace"},
    {"Nimbus Sans Narrow", "Helvetica-Narrow", "Helvetica-Narrow-Bold", "sans-serif"},
    {"P052", "Palatino-Roman", "Palatino-Bold", "serif"},
    {"URW Bookman", "Bookman-Light", "Bookman-Demi", "serif"},
    {"C059", "NewCenturySchlbk-Roman", "NewCenturySchlbk-Bold", "serif"},
    {"Z003", "ZapfChancery-MediumItalic", "ZapfChancery-MediumItalic", "cursive"},
    {"DejaVu Sans", "Helvetica", "Helvetica-Bold", "sans-serif"},
    {"DejaVu Serif", "Times-Roman", "Times-Bold", "serif"},
    {"DejaVu Sans Mono", "Courier", "Courier-Bold", "monospace"},
};
const FamilyStandIn kOtherFamily = {"", "Helvetica", "Helvetica-Bold", "sans-serif"};

const FamilyStandIn& standInFor(std::string_view family) {
    for (const FamilyStandIn& s : kStandIns)
        if (family == s.family) return s;
    return kOtherFamily;
}

bool isPrintableAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// UTF-8 as XML character data. Control characters, which XML does not allow
// and the glyph lists draw as nothing, are dropped; spaces become no-break
// spaces, which SVG keeps where it would collapse or strip plain ones.
std::string xmlText(std::string_view utf8) {
    std::string out;
    for (char c : utf8) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case ' ': out += "\xC2\xA0"; break;
            default:
                if ((unsigned char)c >= 0x20 && c != 0x7F) out += c;
                break;
        }
    }
    return out;
}

// Text as XML character data, spaces kept as they are.
std::string xmlEscaped(std::string_view utf8) {
    std::string out;
    for (char c : utf8) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if ((unsigned char)c >= 0x20 && c != 0x7F) out += c;
    }
    return out;
}

// ASCII as a PostScript or PDF string literal's contents; other bytes become '?'.
std::string literalText(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '(' || c == ')' || c == '\\') out += '\\';
        out += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return out;
}

// The text sink of a capture: each text becomes a GL2PS text at the raster
// position, or filled outlines where the format cannot hold it as text.
void recordText(const TextSpan& span, ImageFormat format) {
    const bool svg = format == ImageFormat::Svg;
    if (span.symbolFace || !(svg || isPrintableAscii(span.text))) {
        drawTextOutlines(span);
        return;
    }
    const FamilyStandIn& standIn = standInFor(span.family);
    const std::string text = svg ? xmlText(cp932ToUtf8(span.text)) : literalText(span.text);
    std::string font = span.bold ? standIn.boldBaseFont : standIn.baseFont;
    if (svg) font = std::string("'").append(span.family).append("', ").append(standIn.generic);
    const long size = std::clamp(std::lround(span.emPixels), 1L, 32767L);
    gl2psTextOpt(text.c_str(), font.c_str(), GLshort(size), GL2PS_TEXT_BL, 0.0f);
}

// Texts go to recordText while the capture runs.
class TextCapture {
public:
    TextCapture(GlyphRenderer& glyphs, ImageFormat format)
        : glyphs_(glyphs), sink_([format](const TextSpan& span) { recordText(span, format); }) {
        glyphs_.setTextSink(&sink_);
    }
    ~TextCapture() { glyphs_.setTextSink(nullptr); }
    TextCapture(const TextCapture&) = delete;
    TextCapture& operator=(const TextCapture&) = delete;

private:
    GlyphRenderer& glyphs_;
    TextSink sink_;
};

// Drawing for feedback: smooth shading, fills coloured at every vertex (see
// useFlatShading), while the picture is made.
class CaptureMode {
public:
    CaptureMode() {
        setVectorCapture(true);
        glPushAttrib(GL_LIGHTING_BIT);
        glShadeModel(GL_SMOOTH);
    }
    ~CaptureMode() {
        glPopAttrib();
        setVectorCapture(false);
    }
    CaptureMode(const CaptureMode&) = delete;
    CaptureMode& operator=(const CaptureMode&) = delete;
};

// ---- the page -----------------------------------------------------------------------

struct Page {
    ImageFormat format = ImageFormat::Svg;
    PixelSize size;
    std::string title;   // escaped for the format
    bool transparent = false;
};

// One part of the page, sorted on its own and laid over the parts before it.
// The graph and its frame are one layer; the overlays (legend, axis indicator,
// title), which stand in front of the graph, are another: in one BSP tree the
// graph's planes would cut through them, and GL2PS's eye point (finite, where
// the camera's is at infinity) can then draw a legend cell over its own
// outline.
struct Layer {
    GLint sort;
    std::function<void()> draw;
};

// Feedback buffer sizes tried, in floats: a primitive takes 15 to 30.
constexpr GLint kFirstBuffer = 1 << 20;
constexpr GLint kLargestBuffer = 1 << 28;

// GL2PS's part of a page: the layers, each in a viewport of its own, then the
// end of the page. GL2PS_OVERFLOW when a layer's feedback did not fit.
GLint printLayers(const std::vector<Layer>& layers, GLint options, PixelSize size) {
    GLint state = GL2PS_SUCCESS;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        // Only the first layer paints the background; later ones are clipped
        // to a rectangle one pixel larger, which gives them another clip-path
        // name in an SVG file.
        const GLint grow = i == 0 ? 0 : 1;
        GLint viewport[4] = {-grow, -grow, size.width + 2 * grow, size.height + 2 * grow};
        gl2psSetOptions(i == 0 ? options : options & ~GL2PS_DRAW_BACKGROUND);
        gl2psSorting(layers[i].sort);
        gl2psBeginViewport(viewport);
        layers[i].draw();
        PhaseScope phase(Phase::VectorSort);
        const GLint printed = gl2psEndViewport();
        if (printed == GL2PS_OVERFLOW || printed == GL2PS_ERROR) state = printed;
    }
    const GLint ended = gl2psEndPage();   // nothing is left in feedback: GL2PS_NO_FEEDBACK
    return state == GL2PS_SUCCESS && ended == GL2PS_ERROR ? ended : state;
}

// The file GL2PS makes of the layers: nothing when GL2PS fails or the
// feedback does not fit the largest buffer.
std::optional<std::string> capturePage(const Page& page, const std::vector<Layer>& layers) {
    GLint viewport[4] = {0, 0, page.size.width, page.size.height};
    // A transparent picture has no background to paint.
    // The best of several BSP roots splits far fewer polygons: on a 100 x 100
    // contour fill a third of the primitives and of the time. GL2PS's
    // occlusion culling is left off: it drops a line lying along the edge of
    // a polygon in front of it, such as the 2-D frame's outline along the rim
    // of the fill, which the raster picture shows.
    // A transparent PDF blends, so that the graph's image keeps its alpha.
    const bool blend = page.transparent && page.format == ImageFormat::Pdf;
    const GLint options = (page.transparent ? 0 : GL2PS_DRAW_BACKGROUND) | GL2PS_SILENT |
                          (blend ? 0 : GL2PS_NO_BLENDING) | GL2PS_BEST_ROOT;
    for (GLint buffer = kFirstBuffer;; buffer *= 2) {
        char* data = nullptr;
        size_t size = 0;
        FILE* stream = open_memstream(&data, &size);
        if (!stream) return std::nullopt;
        const GLboolean blending = glIsEnabled(GL_BLEND);
        if (blend) glEnable(GL_BLEND);   // GL2PS takes its blending from GL's at the page's start
        GLint state = gl2psBeginPage(page.title.c_str(), kAppTitle, viewport, gl2psFormat(page.format),
                                     layers.front().sort, options, GL_RGBA, 0, nullptr, 0, 0, 0, buffer, stream,
                                     page.title.c_str());
        if (!blending) glDisable(GL_BLEND);
        if (state == GL2PS_SUCCESS) state = printLayers(layers, options, page.size);
        const bool closed = std::fclose(stream) == 0;
        std::string bytes = data ? std::string(data, size) : std::string();
        std::free(data);
        if (closed && state == GL2PS_SUCCESS) return bytes;
        if (state != GL2PS_OVERFLOW || buffer > kLargestBuffer / 2) return std::nullopt;
    }
}

// ---- the graph as an image ---------------------------------------------------------

// The graph drawn alone into the picture's framebuffer, counting the
// primitives it sends to the rasteriser (what GL feedback would hold).
long long drawGraphCounting(const VectorScene& scene) {
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    scene.draw({SceneGraph, false});
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint64 count = 0;
    glGetQueryObjectui64v(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return (long long)count;
}

DepthImage readDepth(PixelSize size) {
    DepthImage d;
    d.width = size.width;
    d.height = size.height;
    d.depth.resize(std::size_t(size.width) * std::size_t(size.height));
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, size.width, size.height, GL_DEPTH_COMPONENT, GL_FLOAT, d.depth.data());
    glPopClientAttrib();
    return d;
}

// The rectangle of pixels the graph covered; empty (width 0) when none.
struct PixelBox {
    int x = 0, y = 0, width = 0, height = 0;
};

PixelBox coveredBox(const DepthImage& d) {
    int x0 = d.width, y0 = d.height, x1 = -1, y1 = -1;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            if (d.at(x, y) < 1.0f) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    if (x1 < 0) return {};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

ImageBuffer cropped(const ImageBuffer& image, const PixelBox& box) {
    ImageBuffer out;
    out.componentCount = image.componentCount;
    out.width = box.width;
    out.height = box.height;
    out.pixels.resize(std::size_t(box.width) * std::size_t(box.height) * 4);
    for (int y = 0; y < box.height; ++y) {
        const unsigned char* from = image.pixels.data() + (std::size_t(box.y + y) * image.width + box.x) * 4;
        std::copy(from, from + std::size_t(box.width) * 4, out.pixels.data() + std::size_t(y) * box.width * 4);
    }
    return out;
}

std::string base64(std::string_view bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned v = 0;
        for (std::size_t k = 0; k < 3; ++k) v = v << 8 | (k < n ? (unsigned char)bytes[i + k] : 0u);
        for (std::size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

// The box of `box` (picture pixels) in an image `scale` times the picture.
PixelBox scaledBox(const PixelBox& box, double scale) {
    const auto at = [scale](int v) { return int(std::lround(v * scale)); };
    return {at(box.x), at(box.y), at(box.x + box.width) - at(box.x), at(box.y + box.height) - at(box.y)};
}

// A transparent EPS's graph image: PostScript has no soft mask, so the image
// goes in as a masked image (ImageType 3, of the LanguageLevel 3 the file's
// header names) with a one-bit mask from the alpha, which paints the pixels
// drawn and leaves the rest of the box to what lies under the picture. The
// graph draws every pixel whole (alpha 255 or 0), so one bit loses nothing.
// The mask's rows go before the image's in one hex stream (InterleaveType 2),
// both from the bottom row up like the buffer.
std::string maskedImagePostScript(const ImageBuffer& image, const PixelBox& box) {
    const std::string w = std::to_string(image.width), h = std::to_string(image.height);
    const std::string size = " /Width " + w + " /Height " + h + " /ImageMatrix [" + w + " 0 0 " + h + " 0 0]";
    std::string ps = "gsave\n" + std::to_string(box.x) + " " + std::to_string(box.y) + " translate\n" +
                     std::to_string(box.width) + " " + std::to_string(box.height) + " scale\n" +
                     "/DeviceRGB setcolorspace\n<< /ImageType 3 /InterleaveType 2\n/DataDict << /ImageType 1" + size +
                     " /BitsPerComponent 8 /Decode [0 1 0 1 0 1]\n/DataSource currentfile /ASCIIHexDecode filter >>\n" +
                     "/MaskDict << /ImageType 1" + size + " /BitsPerComponent 1 /Decode [1 0] >>\n>> image\n";
    static const char kHex[] = "0123456789abcdef";
    const auto hex = [&ps](unsigned byte) {
        ps += kHex[byte >> 4];
        ps += kHex[byte & 15];
    };
    const std::size_t width = std::size_t(image.width);
    ps.reserve(ps.size() + std::size_t(image.height) * ((width + 7) / 8 * 2 + width * 6 + 2) + 16);
    for (int y = 0; y < image.height; ++y) {
        const unsigned char* row = image.pixels.data() + std::size_t(y) * width * 4;
        for (std::size_t x = 0; x < width; x += 8) {
            unsigned bits = 0;
            for (std::size_t b = 0; b < 8; ++b) bits = bits << 1 | (x + b < width && row[(x + b) * 4 + 3] >= 128);
            hex(bits);
        }
        ps += '\n';
        for (std::size_t x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) hex(row[x * 4 + c]);
        ps += '\n';
    }
    return ps + ">\ngrestore";
}

// Places the image, of any resolution, over the box behind everything else
// (window depth 1). This GL2PS embeds images in SVG only when built with
// libpng, so the SVG image element is written here with the program's own
// PNG encoder (RGBA for a transparent picture). PDF and EPS take the image's
// size on the page from the pixel zoom.
bool placeImage(const ImageBuffer& image, const PixelBox& box, PixelSize picture, ImageFormat format) {
    glWindowPos3d(box.x, box.y, 1.0);
    if (format == ImageFormat::Svg) {
        std::string png;
        if (!encodePng(image, "", &png)) return false;
        const int top = picture.height - (box.y + box.height);
        std::string element = "<image x=\"" + std::to_string(box.x) + "\" y=\"" + std::to_string(top) +
                              "\" width=\"" + std::to_string(box.width) + "\" height=\"" +
                              std::to_string(box.height) + "\" xlink:href=\"data:image/png;base64," + base64(png) +
                              "\"/>";
        return gl2psSpecial(GL2PS_SVG, element.c_str()) == GL2PS_SUCCESS;
    }
    if (format == ImageFormat::Eps && image.componentCount == 4)
        return gl2psSpecial(GL2PS_EPS, maskedImagePostScript(image, box).c_str()) == GL2PS_SUCCESS;
    // With its alpha (a soft mask in PDF) where the page is transparent and
    // GL2PS blends.
    const int channels = image.componentCount == 4 && format == ImageFormat::Pdf ? 4 : 3;
    std::vector<GLfloat> values(std::size_t(image.width) * std::size_t(image.height) * channels);
    for (std::size_t i = 0; i < values.size() / channels; ++i)
        for (int c = 0; c < channels; ++c) values[i * channels + c] = image.pixels[i * 4 + c] / 255.0f;
    glPushAttrib(GL_PIXEL_MODE_BIT);
    glPixelZoom(GLfloat(double(box.width) / image.width), GLfloat(double(box.height) / image.height));
    const GLint placed = gl2psDrawPixels(image.width, image.height, 0, 0, channels == 4 ? GL_RGBA : GL_RGB, GL_FLOAT,
                                         values.data());
    glPopAttrib();
    return placed == GL2PS_SUCCESS;
}

// Hands lines in window coordinates to GL2PS as they are: drawn through GL
// they would come back from feedback a rounding off, which a reader without
// anti-aliasing shows as a second pixel of width.
void addScreenLines(const std::vector<ScreenLine>& lines) {
    for (const ScreenLine& l : lines) {
        GL2PSvertex ends[2] = {{{l.x0, l.y0, l.z0}, {l.r, l.g, l.b, 1.0f}}, {{l.x1, l.y1, l.z1}, {l.r, l.g, l.b, 1.0f}}};
        gl2psAddPolyPrimitive(GL2PS_LINE, 2, ends, 0, 0.0f, 0.0f, 0, 0, 1.0f, GL2PS_LINE_CAP_BUTT,
                              GL2PS_LINE_JOIN_MITER, 0);
    }
}

// The pick markers (drawn over the graph, as on screen), the legend, the axis
// indicator and the title: few primitives, each part flat or convex, so
// sorting by depth is enough.
Layer overlayLayer(const VectorScene& scene) {
    return {GL2PS_SIMPLE_SORT, [&scene] {
                scene.draw({ScenePickMarkers | SceneAxisIndicator | SceneLegend | SceneTitle, true});
            }};
}

// The page of a graph too large for vectors: the graph as drawn into the
// picture's framebuffer (by drawGraphCounting, just before), the frame's lines
// as far as the graph leaves them visible, then everything else as vectors.
std::optional<std::string> graphAsImagePage(const VectorScene& scene, const Page& page) {
    const DepthImage depth = readDepth(page.size);
    const PixelBox box = coveredBox(depth);
    // The graph drawn again at the resolution asked for; the image of the
    // picture's own resolution where it cannot be had.
    ImageBuffer graph;
    if (!readPicture(page.size.width, page.size.height, &graph)) return std::nullopt;
    graph.componentCount = page.transparent ? 4 : 3;
    PixelBox imageBox = box;
    if (std::optional<ImageBuffer> sharp = scene.graphImage ? scene.graphImage() : std::nullopt) {
        imageBox = scaledBox(box, double(sharp->width) / page.size.width);
        graph = std::move(*sharp);
    }
    const std::vector<ScreenLine> frame =
        visibleParts(captureLines([&] { scene.draw({SceneFrame, false}); }), depth);
    // Nothing left to split: the image lies behind the rest, which is sorted by depth.
    bool placed = true;
    std::optional<std::string> bytes = capturePage(
        page, {{GL2PS_SIMPLE_SORT,
                [&] {
                    if (box.width > 0) placed = placeImage(cropped(graph, imageBox), box, page.size, page.format);
                    addScreenLines(frame);
                    scene.draw({SceneFrameLabels, true});
                }},
               overlayLayer(scene)});
    if (!placed) return std::nullopt;
    return bytes;
}

// ---- dates and description ----------------------------------------------------------
//
// GL2PS dates its files with the time of writing and has no place for a
// description, so both are put in afterwards: the dates (of the same length)
// from pictureTime, which SOURCE_DATE_EPOCH sets; the sentence as the SVG
// <desc> (GL2PS's creator lines go to a comment beside it), the PDF
// information dictionary's /Subject (UTF-16 with its byte-order mark; the
// cross-reference offsets after it are moved on), and an EPS comment after
// the header.

// Replaces `length` bytes after the first `key` with `text` (of that length).
void replaceAfter(std::string& bytes, std::string_view key, std::size_t length, const std::string& text) {
    const std::size_t at = bytes.find(key);
    if (at == std::string::npos || text.size() != length || at + key.size() + length > bytes.size()) return;
    bytes.replace(at + key.size(), length, text);
}

std::string formattedTime(const char* format) {
    const std::time_t when = pictureTime();
    std::tm parts{};
    if (!gmtime_r(&when, &parts)) return {};
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &parts));
}

// The code points of UTF-8 text; a malformed byte stands for U+FFFD.
std::vector<char32_t> codePoints(std::string_view utf8) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char b = utf8[i];
        const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        bool good = extra >= 0 && i + extra < utf8.size();
        for (int k = 1; good && k <= extra; ++k) {
            const unsigned char t = utf8[i + k];
            good = (t & 0xC0) == 0x80;
            c = c << 6 | (t & 0x3F);
        }
        out.push_back(good ? c : char32_t(0xFFFD));
        i += good ? std::size_t(extra) + 1 : 1;
    }
    return out;
}

// UTF-8 as the hexadecimal UTF-16BE string of a PDF text string.
std::string pdfTextString(std::string_view utf8) {
    std::string out = "<FEFF";
    const auto unit = [&out](unsigned u) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "%04X", u & 0xFFFF);
        out += hex;
    };
    for (char32_t c : codePoints(utf8)) {
        if (c < 0x10000) {
            unit(unsigned(c));
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out + ">";
}

// Inserts `text` at `at` of a PDF and moves the cross-reference offsets and
// startxref that lie after it.
void insertIntoPdf(std::string& pdf, std::size_t at, const std::string& text) {
    pdf.insert(at, text);
    const std::size_t xref = pdf.rfind("\nxref\n");
    if (xref == std::string::npos) return;
    std::size_t line = pdf.find('\n', pdf.find('\n', xref + 6) + 1) + 1;   // past "xref" and "0 N"
    // Entries are "nnnnnnnnnn ggggg n \n": 20 bytes, offsets of ten digits.
    for (; line + 20 <= pdf.size() && pdf[line + 17] == 'n'; line += 20) {
        const long offset = std::strtol(pdf.c_str() + line, nullptr, 10);
        if (std::size_t(offset) < at) continue;
        char digits[11];
        std::snprintf(digits, sizeof digits, "%010ld", offset + long(text.size()));
        pdf.replace(line, 10, digits);
    }
    const std::size_t start = pdf.rfind("startxref\n");
    if (start == std::string::npos) return;
    const std::size_t number = start + 10, end = pdf.find('\n', number);
    const long offset = std::strtol(pdf.c_str() + number, nullptr, 10);
    if (std::size_t(offset) >= at) pdf.replace(number, end - number, std::to_string(offset + long(text.size())));
}

std::string withMetadata(std::string bytes, ImageFormat format, const std::string& description) {
    const std::string asctime = formattedTime("%a %b %e %H:%M:%S %Y");
    switch (format) {
        case ImageFormat::Pdf: {
            replaceAfter(bytes, "/CreationDate (D:", 14, formattedTime("%Y%m%d%H%M%S"));
            const std::size_t title = bytes.find("/Title (");
            if (title != std::string::npos && !description.empty())
                insertIntoPdf(bytes, title, "/Subject " + pdfTextString(description) + "\n");
            break;
        }
        case ImageFormat::Svg: {
            replaceAfter(bytes, "CreationDate: ", 24, asctime);
            const std::size_t open = bytes.find("<desc>"), close = bytes.find("</desc>");
            if (open == std::string::npos || close == std::string::npos || close < open) break;
            const std::string creator = bytes.substr(open + 6, close - open - 6);
            bytes.replace(open, close + 7 - open,
                          "<desc>" + xmlEscaped(description) + "</desc>\n<!--" + creator + "-->");
            break;
        }
        case ImageFormat::Eps: {
            replaceAfter(bytes, "%%CreationDate: ", 24, asctime);
            const std::size_t end = bytes.find("%%EndComments\n");
            if (end != std::string::npos && !description.empty())
                bytes.insert(end + 14, "% Description: " + description + "\n");
            break;
        }
        case ImageFormat::Png:
        case ImageFormat::Jpeg:
        case ImageFormat::Bmp: break;
    }
    return bytes;
}

// The picture's title as the format's header holds it.
std::string pageTitle(const std::string& title, ImageFormat format) {
    return format == ImageFormat::Svg ? xmlText(cp932ToUtf8(title)) : literalText(title);
}

}  // namespace

long long estimatedSortOutput(long long primitives, long long bars, double cutsPerPrimitive) {
    const double barCopies = std::max(1.0, double(bars / kBarsPerSplitCopy));
    const double cutCopies = (1 + cutsPerPrimitive) / kSortedPerSmoothPrimitive;
    const double sorted = double(primitives) * std::max(barCopies, cutCopies);
    return sorted >= double(LLONG_MAX) ? LLONG_MAX : (long long)sorted;
}

std::optional<VectorPicture> renderVectorPicture(const VectorScene& scene, PixelSize size, ImageFormat format,
                                                 long long maxGraphPrimitives) {
    if (!isVectorFormat(format)) return std::nullopt;
    CaptureMode capture;
    VectorPicture picture;
    {
        PhaseScope phase(Phase::Draw);
        picture.graphPrimitives = drawGraphCounting(scene);
    }
    picture.sortedPrimitives = estimatedSortOutput(picture.graphPrimitives, scene.bars);
    if (picture.sortedPrimitives <= maxGraphPrimitives) {
        PhaseScope phase(Phase::Draw);
        const SplitMeasure splits = measureSplits([&] { scene.draw({SceneGraph | SceneFrame, true}); },
                                                  picture.graphPrimitives);
        picture.cuts = splits.cuts;
        // Feedback that does not fit, or a sort too costly to count, is too large for vectors.
        picture.sortedPrimitives = splits.measured && !splits.overBudget
                                       ? estimatedSortOutput(picture.graphPrimitives, scene.bars,
                                                             splits.cuts / double(std::max(1LL, splits.primitives)))
                                       : LLONG_MAX;
    }
    picture.graphAsImage = picture.sortedPrimitives > maxGraphPrimitives;
    const Page page{format, size, pageTitle(scene.title, format), scene.transparent};
    TextCapture texts(scene.glyphs, format);
    std::optional<std::string> bytes;
    if (!picture.graphAsImage) {
        bytes = capturePage(page, {{GL2PS_BSP_SORT, [&] { scene.draw({SceneGraph | SceneFrame, true}); }},
                                   overlayLayer(scene)});
        // The estimate fell short: the file is made again with the graph as an
        // image, which the graph drawn once more into the framebuffer needs.
        if (bytes && bytes->size() > kMaxVectorPictureBytes) {
            bytes.reset();
            picture.graphAsImage = true;
            drawGraphCounting(scene);
        }
    }
    if (picture.graphAsImage) bytes = graphAsImagePage(scene, page);
    if (!bytes) return std::nullopt;
    picture.bytes = withMetadata(std::move(*bytes), format, scene.description);
    return picture;
}

}  // namespace kelvra
