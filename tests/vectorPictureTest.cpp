// Vector pictures (SVG, PDF, EPS): read back as a reader would take them. An
// SVG is parsed as XML; a PDF is turned into pixels by pdftoppm and laid over
// the PNG of the same scene; hidden parts stay hidden; texts are text where
// the format can hold them; a graph too large for vectors is an image with
// the frame still lines, cut where the graph hides it.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/fileIo.h"
#include "view/kelvraView.h"
#include "output/lineVisibility.h"
#include "output/sortSplits.h"
#include "settings/graphTypes.h"
#include "render/scaleFrame.h"
#include "support/drawInput.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"
#include "support/renderRun.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::Pixel;

constexpr PixelSize kSize{520, 420};

// ---- reading the files back ---------------------------------------------------------

struct Picture {
    int width = 0, height = 0;
    std::vector<Pixel> pixels;   // top row first
    Pixel at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

Picture fromImage(const ImageBuffer& image) {
    Picture p{image.width, image.height, {}};
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const unsigned char* c = image.pixels.data() + (std::size_t(y) * image.width + x) * 4;
            p.pixels.push_back({c[0], c[1], c[2]});
        }
    return p;
}

// A PDF page as pdftoppm draws it at 72 dpi (one point, one pixel), without
// anti-aliasing, read from its PPM output.
Picture pdfPixels(const std::string& pdf, const std::string& folder) {
    const std::string stem = folder + "/page";
    const std::string command = "pdftoppm -r 72 -singlefile '" + pdf + "' '" + stem + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command << " (scripts/setup.sh installs poppler-utils)";
    const std::string ppm = test::readFile(stem + ".ppm");
    Picture p;
    int maxValue = 0, consumed = 0;
    if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &p.width, &p.height, &maxValue, &consumed) != 3) return {};
    const std::size_t start = std::size_t(consumed) + 1;
    if (ppm.size() < start + std::size_t(p.width) * p.height * 3) return {};
    for (std::size_t i = start; i + 2 < ppm.size(); i += 3)
        p.pixels.push_back({(unsigned char)ppm[i], (unsigned char)ppm[i + 1], (unsigned char)ppm[i + 2]});
    return p;
}

int distance(const Pixel& a, const Pixel& b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

// Every element of an SVG file, depth first.
void forEachElement(const tinyxml2::XMLElement* e, const std::function<void(const tinyxml2::XMLElement&)>& f) {
    for (; e; e = e->NextSiblingElement()) {
        f(*e);
        forEachElement(e->FirstChildElement(), f);
    }
}

struct Svg {
    std::vector<std::string> fills;   // of the polygons
    std::vector<std::string> texts;
    std::vector<std::string> fonts;   // font-family of each text
    int polylines = 0, images = 0;
    std::vector<std::string> imageData;   // href of each image
    std::vector<int> imageWidths;         // width of each image, in the picture's units
};

Svg readSvg(const std::string& bytes) {
    tinyxml2::XMLDocument doc;
    EXPECT_EQ(doc.Parse(bytes.data(), bytes.size()), tinyxml2::XML_SUCCESS) << doc.ErrorStr();
    Svg svg;
    forEachElement(doc.RootElement(), [&](const tinyxml2::XMLElement& e) {
        const std::string name = e.Name();
        if (name == "polygon" && e.Attribute("fill")) svg.fills.push_back(e.Attribute("fill"));
        if (name == "polyline") ++svg.polylines;
        if (name == "text") {
            svg.texts.push_back(e.GetText() ? e.GetText() : "");
            svg.fonts.push_back(e.Attribute("font-family") ? e.Attribute("font-family") : "");
        }
        if (name == "image") {
            ++svg.images;
            svg.imageData.push_back(e.Attribute("xlink:href") ? e.Attribute("xlink:href") : "");
            svg.imageWidths.push_back(e.IntAttribute("width"));
        }
    });
    return svg;
}

std::string hexColour(const Rgb& c) {
    char s[8];
    std::snprintf(s, sizeof s, "#%02x%02x%02x", int(255.0 * c.r), int(255.0 * c.g), int(255.0 * c.b));
    return s;
}

// ---- scenes ---------------------------------------------------------------------

// A 12 x 12 contour fill seen from above with its frame, legend and axis
// indicator. The 2-D frame lies in the plane of Z = 0, here above the data,
// so that no part of the fill stands in front of it. (Where one does, the
// frame's outline runs along the fill's rim, and a vector reader, which
// centres a line on its path, covers half of it with the fill.)
struct ContourScene : test::GridView {
    ContourScene() {
        host.setPictureSize(kSize);
        fill(12, 12, -1, 1, -1, 1, [](double x, double y) { return (x * x - y) / 2 - 1; });
        scale(0, -1, 1, 0.5);
        scale(1, -1, 0.8, 0.45);   // short of the data: the scale box clips the fill
        scale(2, -2, 0, 0.5);
        scale(3, -1.5, 0, 2);   // 10 levels over the data
        topView();
        view.settings.graphType = GridContourFill;
        view.settings.scaleShow = 1;
        view.settings.legendShow = 1;
        view.settings.axisShow = 1;
        view.layoutAnchoredOverlays();
        initGl();
    }
    std::string vector(ImageFormat format, long long maxPrimitives = kMaxVectorGraphPrimitives) {
        std::optional<VectorPicture> v = view.renderVectorPicture(shownPicture(kSize), format, maxPrimitives);
        EXPECT_TRUE(v);
        return v ? v->bytes : std::string();
    }
    Picture raster() {
        std::optional<ImageBuffer> image = view.renderPicture(shownPicture(kSize));
        EXPECT_TRUE(image);
        return image ? fromImage(*image) : Picture{};
    }
};

// A rectangle of pixels, inclusive.
struct Box {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
};
std::ostream& operator<<(std::ostream& os, const Box& b) {
    return os << "(" << b.x0 << "," << b.y0 << ")-(" << b.x1 << "," << b.y1 << ")";
}
bool within(const Box& a, const Box& b, int slack) {
    return std::abs(a.x0 - b.x0) <= slack && std::abs(a.y0 - b.y0) <= slack && std::abs(a.x1 - b.x1) <= slack &&
           std::abs(a.y1 - b.y1) <= slack;
}

bool colourful(const Pixel& p) { return std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}) > 100; }
bool dark(const Pixel& p) { return std::max({p.r, p.g, p.b}) < 100; }
// Dark, or a line pixel half covered by the polygon beside it.
bool darkish(const Pixel& p) { return std::max({p.r, p.g, p.b}) < 160 && !colourful(p); }

// The runs of columns that hold colourful pixels, left to right, each with
// the rows they span: the graph and the legend of a contour fill. Grid lines
// across the graph (gaps of a few columns) do not end a run.
std::vector<Box> colourfulRuns(const Picture& p) {
    std::vector<Box> runs;
    int lastColumn = -100;
    for (int x = 0; x < p.width; ++x) {
        int top = p.height, bottom = -1;
        for (int y = 0; y < p.height; ++y)
            if (colourful(p.at(x, y))) top = std::min(top, y), bottom = std::max(bottom, y);
        if (bottom < 0) continue;
        if (x - lastColumn > 3) runs.push_back({x, top, x, bottom});
        Box& r = runs.back();
        r.x1 = x, r.y0 = std::min(r.y0, top), r.y1 = std::max(r.y1, bottom);
        lastColumn = x;
    }
    return runs;
}

// The frame's outline around `inside`: the outermost rows and columns near it
// that are dark over most of its extent.
Box darkOutline(const Picture& p, const Box& inside) {
    Box b{p.width, p.height, -1, -1};
    for (int y = std::max(0, inside.y0 - 4); y <= std::min(p.height - 1, inside.y1 + 4); ++y) {
        int n = 0;
        for (int x = inside.x0; x <= inside.x1; ++x) n += darkish(p.at(x, y));
        if (n * 10 >= (inside.x1 - inside.x0 + 1) * 8) b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y);
    }
    for (int x = std::max(0, inside.x0 - 4); x <= std::min(p.width - 1, inside.x1 + 4); ++x) {
        int n = 0;
        for (int y = inside.y0; y <= inside.y1; ++y) n += darkish(p.at(x, y));
        if (n * 10 >= (inside.y1 - inside.y0 + 1) * 8) b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x);
    }
    return b;
}

// Pixels of the box where the PNG shows nothing but the graph's colours
// around them and the PDF something dark (a line the graph hides, a black
// shading fault), and the pixels that were looked at.
std::pair<long, long> darkOverColour(const Picture& png, const Picture& pdf, const Box& box) {
    long over = 0, graph = 0;
    for (int y = std::max(box.y0, 1); y <= std::min(box.y1, png.height - 2); ++y)
        for (int x = std::max(box.x0, 1); x <= std::min(box.x1, png.width - 2); ++x) {
            bool allColour = true;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) allColour = allColour && colourful(png.at(x + dx, y + dy));
            if (!allColour) continue;
            ++graph;
            over += darkish(pdf.at(x, y));
        }
    return {over, graph};
}

double shareClose(const Picture& a, const Picture& b, int tolerance) {
    std::size_t close = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) close += distance(a.pixels[i], b.pixels[i]) <= tolerance;
    return double(close) / double(a.pixels.size());
}

std::vector<unsigned char> decodeBase64(std::string_view text) {
    auto digit = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        return c == '+' ? 62 : c == '/' ? 63 : -1;
    };
    std::vector<unsigned char> out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        int d = digit(c);
        if (d < 0) continue;
        bits = bits << 6 | unsigned(d);
        if ((count += 6) >= 8) out.push_back((unsigned char)(bits >> (count -= 8)));
    }
    return out;
}

// ---- the graph and its parts in each format -----------------------------------------

TEST(VectorPicture, SvgOfAContourFillHoldsTheLegendColoursAsPolygonsAndTheValuesAsText) {
    GL_TEST_REQUIRE_CONTEXT(kSize.width, kSize.height);
    ContourScene s;
    std::vector<PlacedLabel> labels;
    s.view.lists.labelTrace = &labels;
    s.raster();
    s.view.lists.labelTrace = nullptr;
    const Svg svg = readSvg(s.vector(ImageFormat::Svg));

    const BuildContext ctx = s.view.buildContext();
    ASSERT_EQ(ctx.levels.levelCount, 10);
    for (int k = 1; k <= ctx.levels.levelCount; ++k) {
        const std::string colour = hexColour(ctx.levels.colors[k]);
        EXPECT_GE(std::count(svg.fills.begin(), svg.fills.end(), colour), 3) << "level " << k << " " << colour;
    }
    // Every scale and legend value the raster picture shows is a text element, in
    // the family the program draws with and the size it draws.
    int values = 0;
    for (const PlacedLabel& l : labels) {
        if (l.role != RoleScaleValue && l.role != RoleLegendValue) continue;
        ++values;
        EXPECT_NE(std::find(svg.texts.begin(), svg.texts.end(), l.text), svg.texts.end()) << l.text;
    }
    EXPECT_GE(values, 10 + 5 + 5);   // 11 legend values, 5 on each scale
    ASSERT_FALSE(svg.fonts.empty());
    for (const std::string& font : svg.fonts) EXPECT_EQ(font, "'IPAPGothic', sans-serif");
    EXPECT_GT(svg.polylines, 0);   // the frame and the legend's outline are lines
    EXPECT_EQ(svg.images, 0);

    // A pick marker the window shows is in the picture too, in its cyan.
    const std::size_t middle = std::size_t(6 * 12 + 6) * std::size_t(s.view.data.valuesPerPoint);
    ASSERT_TRUE(s.view.buildPickMarker(middle));
    s.view.state.pickMarkersShown = true;
    EXPECT_NE(s.vector(ImageFormat::Svg).find("stroke=\"#00cccc\""), std::string::npos);
}

TEST(VectorPicture, PdfDrawnBackAgreesWithThePngOfTheSameSettings) {
    GL_TEST_REQUIRE_CONTEXT(kSize.width, kSize.height);
    ContourScene s;
    s.view.settings.axisShow = 0;   // colourful too, it would join the graph's columns
    test::ScratchDir dir;
    ASSERT_TRUE(writeFileSafely(dir.file("p.pdf"), s.vector(ImageFormat::Pdf)));
    const Picture pdf = pdfPixels(dir.file("p.pdf"), dir.path());
    const Picture png = s.raster();
    ASSERT_EQ(std::pair(pdf.width, pdf.height), std::pair(png.width, png.height));
    // The texts differ (a base font for the program's face), everything else agrees.
    EXPECT_GE(shareClose(png, pdf, 24), 0.95);
    const std::vector<Box> inPng = colourfulRuns(png), inPdf = colourfulRuns(pdf);
    ASSERT_EQ(inPng.size(), 2u);   // the graph and the legend
    ASSERT_EQ(inPdf.size(), 2u);
    for (int part : {0, 1}) EXPECT_TRUE(within(inPng[part], inPdf[part], 2)) << inPng[part] << " " << inPdf[part];
    const auto [over, graph] = darkOverColour(png, pdf, inPng[0]);
    EXPECT_LE(over, graph / 2000) << over << " of " << graph;
    const Box framePng = darkOutline(png, inPng[0]), framePdf = darkOutline(pdf, inPng[0]);
    EXPECT_GE(framePng.x1 - framePng.x0, 100);
    EXPECT_TRUE(within(framePng, framePdf, 2)) << framePng << " " << framePdf;
}

// The hidden-line wireframe: every dark pixel of the PDF lies on (or next to)
// a wire of the PNG, so no wire that the PNG hides shows through.
TEST(VectorPicture, HiddenLineWireframeShowsNoWireThePngHides) {
    GL_TEST_REQUIRE_CONTEXT(kSize.width, kSize.height);
    test::GridView g;
    g.host.setPictureSize(kSize);
    g.fill(16, 16, -1, 1, -1, 1, [](double x, double y) { return 0.8 * std::sin(3 * x) * std::cos(3 * y); });
    for (int a = 0; a < 3; ++a) g.scale(a, -1, 1, 0.5);
    g.scale(3, -1, 1, 2);
    g.initGl();
    test::ScratchDir dir;
    auto darkPixels = [](const Picture& p) { return std::count_if(p.pixels.begin(), p.pixels.end(), dark); };

    g.view.settings.graphType = GridWire;   // without hiding, for scale
    g.view.buildDisplayLists();
    const long allWires = darkPixels(fromImage(*g.view.renderPicture(shownPicture(kSize))));
    g.view.settings.graphType = GridWireHidden;
    g.view.buildDisplayLists();
    const Picture png = fromImage(*g.view.renderPicture(shownPicture(kSize)));
    EXPECT_LT(darkPixels(png) * 10, allWires * 9) << "the scene hides too little to tell";

    std::optional<VectorPicture> v = g.view.renderVectorPicture(shownPicture(kSize), ImageFormat::Pdf);
    ASSERT_TRUE(v);
    ASSERT_TRUE(writeFileSafely(dir.file("h.pdf"), v->bytes));
    const Picture pdf = pdfPixels(dir.file("h.pdf"), dir.path());
    ASSERT_EQ(pdf.pixels.size(), png.pixels.size());
    long shown = 0, throughSurface = 0;
    for (int y = 0; y < pdf.height; ++y)
        for (int x = 0; x < pdf.width; ++x) {
            if (!dark(pdf.at(x, y))) continue;
            ++shown;
            bool nearWire = false;
            for (int dy = -1; dy <= 1 && !nearWire; ++dy)
                for (int dx = -1; dx <= 1 && !nearWire; ++dx) {
                    const int px = std::clamp(x + dx, 0, png.width - 1), py = std::clamp(y + dy, 0, png.height - 1);
                    nearWire = dark(png.at(px, py));
                }
            throughSurface += !nearWire;
        }
    EXPECT_GT(shown, darkPixels(png) / 2);
    EXPECT_LE(throughSurface, shown / 200) << throughSurface << " of " << shown << " dark pixels";
}

TEST(VectorPicture, TextsAreTextWhereTheFormatCanHoldThemAndOutlinesElsewhere) {
    GL_TEST_REQUIRE_CONTEXT(kSize.width, kSize.height);
    ContourScene s;
    s.view.settings.titleText = test::cp932("温度 <T> & \"ｹﾙﾋﾞﾝ\"");
    s.view.settings.scaleUnit[0] = "a(b)\\c";
    s.view.settings.titlePosH = -100;
    s.view.settings.titlePosV = 130;
    // SVG: UTF-8, escaped, spaces kept.
    const Svg svg = readSvg(s.vector(ImageFormat::Svg));
    EXPECT_NE(std::find(svg.texts.begin(), svg.texts.end(), "温度\u00A0<T>\u00A0&\u00A0\"ｹﾙﾋﾞﾝ\""), svg.texts.end());
    EXPECT_NE(std::find(svg.texts.begin(), svg.texts.end(), "a(b)\\c"), svg.texts.end());
    // PDF and EPS: ASCII texts are string literals in a base font; the title,
    // which no base font can show, is drawn as outlines in the program's face.
    const std::string pdf = s.vector(ImageFormat::Pdf), eps = s.vector(ImageFormat::Eps);
    EXPECT_NE(pdf.find("(a\\(b\\)\\\\c) Tj"), std::string::npos);
    EXPECT_NE(pdf.find("/BaseFont /Helvetica"), std::string::npos);
    EXPECT_NE(eps.find("(a\\(b\\)\\\\c)"), std::string::npos);
    for (const std::string* file : {&pdf, &eps}) {
        EXPECT_EQ(file->find(s.view.settings.titleText.substr(0, 4)), std::string::npos);
        EXPECT_EQ(file->find("<T>"), std::string::npos);
    }
    test::ScratchDir dir;
    ASSERT_TRUE(writeFileSafely(dir.file("t.pdf"), pdf));
    const Picture drawn = pdfPixels(dir.file("t.pdf"), dir.path());
    const Picture png = s.raster();
    // The title's line, above the graph: as much ink in the PDF as in the PNG.
    auto inkAbove = [](const Picture& p, int bottom) {
        long n = 0;
        for (int y = 50; y < bottom; ++y)
            for (int x = 100; x < 380; ++x) n += dark(p.at(x, y));
        return n;
    };
    const long titleInk = inkAbove(png, 90);
    EXPECT_GT(titleInk, 40);
    EXPECT_GT(inkAbove(drawn, 90), titleInk / 2);
    EXPECT_LT(inkAbove(drawn, 90), titleInk * 2);
}

// Above the primitive limit the graph is one image at 300 dpi (window
// pixels taken as 96 dpi); the frame, legend, indicator and texts stay vectors, and the
// frame's lines are cut where the graph hides them.
TEST(VectorPicture, ALargeGraphGoesInAsAnImageAndTheRestStaysVectors) {
    GL_TEST_REQUIRE_CONTEXT(kSize.width, kSize.height);
    ContourScene s;
    s.view.settings.displayMode = Display3D;
    s.view.settings.viewAngleX = 300;
    s.view.settings.viewAngleZ = 330;
    s.view.settings.axisShow = 0;
    std::optional<VectorPicture> v = s.view.renderVectorPicture(shownPicture(kSize), ImageFormat::Svg, 100);
    ASSERT_TRUE(v);
    EXPECT_TRUE(v->graphAsImage);
    EXPECT_GT(v->graphPrimitives, 100);
    const Svg svg = readSvg(v->bytes);
    ASSERT_EQ(svg.images, 1);
    const std::string prefix = "data:image/png;base64,";
    ASSERT_EQ(svg.imageData[0].substr(0, prefix.size()), prefix);
    const std::vector<unsigned char> png = decodeBase64(std::string_view(svg.imageData[0]).substr(prefix.size()));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin(), png.begin() + 4), "\x89PNG");
    // The image is at 300 dpi for window pixels taken as 96 dpi: its pixels
    // (the PNG header's width) are 300/96 of its width in the picture.
    ASSERT_GT(png.size(), 24u);
    const int pixelsAcross = png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19];
    EXPECT_NEAR(pixelsAcross, svg.imageWidths[0] * 300.0 / 96.0, 4.0);
    PictureRequest atOne = shownPicture(kSize);
    atOne.vectorImageScale = 1;
    const Svg plain = readSvg(s.view.renderVectorPicture(atOne, ImageFormat::Svg, 100)->bytes);
    ASSERT_EQ(plain.images, 1);
    const std::vector<unsigned char> small = decodeBase64(std::string_view(plain.imageData[0]).substr(prefix.size()));
    ASSERT_GT(small.size(), 24u);
    EXPECT_NEAR(small[16] << 24 | small[17] << 16 | small[18] << 8 | small[19], plain.imageWidths[0], 1.0);
    // Only the legend's cells (two triangles each) are polygons, besides the white background.
    EXPECT_LE(std::count_if(svg.fills.begin(), svg.fills.end(), [](const std::string& f) { return f != "#ffffff"; }),
              2 * 10);
    EXPECT_GT(svg.polylines, 0);
    EXPECT_GE(svg.texts.size(), 10u);

    // The same as PDF, drawn back: it agrees with the PNG, and no grey line of
    // the frame crosses the graph where the PNG shows the graph.
    std::optional<VectorPicture> p = s.view.renderVectorPicture(shownPicture(kSize), ImageFormat::Pdf, 100);
    ASSERT_TRUE(p && p->graphAsImage);
    EXPECT_NE(p->bytes.find("/Subtype /Image"), std::string::npos);
    test::ScratchDir dir;
    ASSERT_TRUE(writeFileSafely(dir.file("l.pdf"), p->bytes));
    const Picture pdf = pdfPixels(dir.file("l.pdf"), dir.path());
    const Picture raster = s.raster();
    ASSERT_EQ(pdf.pixels.size(), raster.pixels.size());
    EXPECT_GE(shareClose(raster, pdf, 24), 0.95);
    const std::vector<Box> parts = colourfulRuns(raster);
    ASSERT_EQ(parts.size(), 2u);
    const auto [linesOverGraph, graph] = darkOverColour(raster, pdf, parts[0]);
    EXPECT_GT(graph, 5000);
    EXPECT_LE(linesOverGraph, graph / 500) << linesOverGraph << " of " << graph;
}

// What the depth sort would cut without bound goes in as an image, decided
// on its cuts before the sort runs, though the primitives alone are below the
// limit: the frame's lines behind 20 000 points, cut at every point's depth.
// A rough surface stays within the size bound either way; a smooth one stays
// vectors.
TEST(VectorPicture, SplitHeavyGraphsStayWithinTheBounds) {
    GL_TEST_REQUIRE_CONTEXT(kSize.width, kSize.height);
    unsigned seed = 11;
    const auto rough = [&seed](double, double) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8 & 0xFFFF) / 65535.0 * 10 - 5;
    };
    const auto smooth = [](double x, double y) { return 4 * std::sin(x / 9) * std::cos(y / 11); };
    const struct {
        const char* name;
        int side;
        std::function<double(double, double)> z;
        int graphType;
        int asImage;   // -1: either
    } cases[] = {
        {"rough hidden wireframe", 100, rough, GridWireHidden, -1},
        {"smooth hidden wireframe", 60, smooth, GridWireHidden, 0},
        {"smooth shape", 60, smooth, GridShape, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::GridView s;
        s.host.setPictureSize(kSize);
        s.fill(c.side, c.side, 0, c.side - 1, 0, c.side - 1, c.z);
        s.scale(0, 0, c.side - 1, 10);
        s.scale(1, 0, c.side - 1, 10);
        s.scale(2, -5, 5, 1);
        s.scale(3, -5, 5, 2);
        s.view.settings.graphType = c.graphType;
        s.initGl();
        std::optional<VectorPicture> v = s.view.renderVectorPicture(shownPicture(kSize), ImageFormat::Svg);
        ASSERT_TRUE(v);
        EXPECT_LE(v->graphPrimitives, kMaxVectorGraphPrimitives);
        if (c.asImage >= 0) EXPECT_EQ(v->graphAsImage, c.asImage != 0) << v->sortedPrimitives;
        EXPECT_LT(v->bytes.size(), kMaxVectorPictureBytes);
    }
    test::ScratchDir dir;
    std::string points = test::cp932("ﾃﾞｰﾀ形式,2\r\nKelvra ver.1.52\r\n\r\n");
    for (int row = 0; row < 200; ++row)
        for (int k = 0; k < 100; ++k) {
            seed = seed * 1103515245u + 12345u;
            const unsigned x = (seed >> 8) % 10000;
            seed = seed * 1103515245u + 12345u;
            points += std::to_string(x / 100.0) + "," + std::to_string(row) + "," +
                      std::to_string((seed >> 8) % 1000 / 100.0 - 5) + "\r\n";
        }
    test::writeFile(dir.file("points.csv"), points);
    test::RenderRun r = test::runRender({dir.file("points.csv"), "-o", dir.file("points.svg")}, dir.path());
    if (r.noGl()) GTEST_SKIP() << r.err;
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(cp932ToUtf8(sj(kGraphAsImageNote))), std::string::npos) << r.err;
    EXPECT_LT(test::readFile(dir.file("points.svg")).size(), kMaxVectorPictureBytes);
}

// The cuts of the best root's plane: none among faces of one plane, one where
// walls stand across a floor, and for lines the plane along the view. More
// cuts, or more bars, make more primitives of the sort.
TEST(SortSplits, CountsThePrimitivesLyingAcrossARootsPlane) {
    // Twenty triangles side by side in the plane z = 0.5.
    std::vector<float> flat;
    std::vector<int> counts;
    for (int i = 0; i < 20; ++i) {
        flat.insert(flat.end(), {float(i * 10), 0, 0.5f, float(i * 10 + 10), 0, 0.5f, float(i * 10), 10, 0.5f});
        counts.push_back(3);
    }
    SplitMeasure m = measureSplits(flat, counts);
    EXPECT_TRUE(m.measured);
    EXPECT_EQ(m.primitives, 20);
    EXPECT_EQ(m.cutsAtRoot, 0);
    // Walls x = 5, 15, ... standing across a floor in z: each wall's plane cuts
    // the floor, and the floor's plane cuts every wall, so the best root cuts one.
    std::vector<float> walls = {0, 0, 0.5f, 100, 0, 0.5f, 100, 100, 0.5f, 0, 100, 0.5f};
    std::vector<int> wallCounts = {4};
    for (int i = 0; i < 10; ++i) {
        const float x = float(i * 10 + 5);
        walls.insert(walls.end(), {x, 10, 0.2f, x, 90, 0.2f, x, 90, 0.8f, x, 10, 0.8f});
        wallCounts.push_back(4);
    }
    m = measureSplits(walls, wallCounts);
    EXPECT_EQ(m.primitives, 11);
    EXPECT_EQ(m.cutsAtRoot, 1);
    // A line across two others on the screen: its plane along the view cuts
    // both, theirs cut only it.
    const std::vector<float> lines = {0, 50, 0.5f, 100, 50, 0.5f, 10, 0, 0.1f, 10, 100, 0.9f, 20, 0, 0.5f, 20, 100, 0.5f};
    m = measureSplits(lines, {2, 2, 2});
    EXPECT_EQ(m.cutsAtRoot, 1);
    // A smooth surface's sort makes about twice its primitives: what the limit counts.
    EXPECT_EQ(estimatedSortOutput(10000, 0, 0), 10000);
    EXPECT_EQ(estimatedSortOutput(10000, 0, 1), 10000);
    EXPECT_EQ(estimatedSortOutput(10000, 0, 3), 20000);
    EXPECT_EQ(estimatedSortOutput(10000, 900, 0), 10000 * (900 / kBarsPerSplitCopy));
}

// kelvra-render and launch files: the extension picks the format, the picture
// has the size asked for, and a large grid is said to be an image on stderr.
TEST(RenderVector, WritesEachFormatAtTheRequestedSizeAndSaysWhenTheGraphIsAnImage) {
    test::ScratchDir dir;
    const std::string surface = test::sourcePath("examples/surface.csv");
    const struct {
        const char* name;
        const char* sizeMark;   // what the file says about its size
    } outputs[] = {{"out.svg", "width=\"320pt\" height=\"200pt\" viewBox=\"0 0 320 200\""},
                   {"out.PDF", "/MediaBox [0 0 320 200]"},
                   {"out.eps", "%%BoundingBox: 0 0 320 200"}};
    for (const auto& o : outputs) {
        SCOPED_TRACE(o.name);
        test::RenderRun r = test::runRender({surface, "--size", "320x200", "-o", dir.file(o.name)}, dir.path());
        if (r.noGl()) GTEST_SKIP() << r.err;
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_NE(test::readFile(dir.file(o.name)).find(o.sizeMark), std::string::npos);
    }
    test::writeFile(dir.file("launch.txt"), "[Kelvra]\r\nData_File_Name=" + surface + "\r\nImage_File_Name=" +
                                                dir.file("launched.pdf") + "\r\nSoft_On=NO\r\n");
    test::RenderRun launched = test::runRender({"--size", "320x200", dir.file("launch.txt")}, dir.path());
    EXPECT_EQ(launched.status, 0) << launched.err;
    EXPECT_EQ(test::readFile(dir.file("launched.pdf")).substr(0, 5), "%PDF-");

    // A 250 x 250 grid: above the primitive limit.
    std::string grid = test::cp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n");
    for (int c = 0; c < 250; ++c) grid.append(",").append(std::to_string(c));
    grid += "\r\n";
    for (int row = 0; row < 250; ++row) {
        grid += std::to_string(row);
        for (int c = 0; c < 250; ++c) grid.append(",").append(std::to_string(std::sin(row * 0.1) * std::cos(c * 0.07)));
        grid += "\r\n";
    }
    test::writeFile(dir.file("grid.csv"), grid);
    test::RenderRun large = test::runRender({dir.file("grid.csv"), "-o", dir.file("large.svg")}, dir.path());
    EXPECT_EQ(large.status, 0) << large.err;
    EXPECT_NE(large.err.find(cp932ToUtf8(sj("ｸﾞﾗﾌの図形が多いため、ｸﾞﾗﾌは画像として書き込みました"))), std::string::npos)
        << large.err;
    EXPECT_EQ(readSvg(test::readFile(dir.file("large.svg"))).images, 1);
}

// The parts of a line a depth image leaves visible: cut at the hiding pixels,
// whole where nothing is nearer, kept outside the image.
TEST(LineVisibility, CutsLinesWhereTheDepthImageIsNearer) {
    DepthImage depth{20, 10, std::vector<float>(200, 1.0f)};
    for (int y = 0; y < 10; ++y)
        for (int x = 8; x < 12; ++x) depth.depth[std::size_t(y) * 20 + x] = 0.3f;   // a wall over x 8..11
    const std::vector<ScreenLine> lines = {
        {0, 5, 0.5f, 20, 5, 0.5f, 1, 0, 0},   // behind the wall
        {0, 2, 0.2f, 20, 2, 0.2f, 0, 1, 0},   // in front of it
        {-10, 7, 0.5f, 5, 7, 0.5f, 0, 0, 1},  // partly outside the image
        {8, 1, 0.3f, 12, 1, 0.3f, 1, 1, 1},   // lying on the wall (a depth tie)
    };
    const std::vector<ScreenLine> parts = visibleParts(lines, depth);
    ASSERT_EQ(parts.size(), 5u);
    EXPECT_FLOAT_EQ(parts[0].x0, 0);
    EXPECT_FLOAT_EQ(parts[0].x1, 8);
    EXPECT_FLOAT_EQ(parts[1].x0, 12);
    EXPECT_FLOAT_EQ(parts[1].x1, 20);
    EXPECT_EQ(parts[0].r, 1.0f);
    EXPECT_FLOAT_EQ(parts[2].x0, 0);   // whole
    EXPECT_FLOAT_EQ(parts[2].x1, 20);
    EXPECT_FLOAT_EQ(parts[3].x0, -10);
    EXPECT_FLOAT_EQ(parts[3].x1, 5);
    EXPECT_FLOAT_EQ(parts[4].x1 - parts[4].x0, 4);
}

}  // namespace
}  // namespace kelvra
