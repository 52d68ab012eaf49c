// The one picture path (CKelvraView::renderPicture): the picture is the one
// the window shows, of any size; a picture of another size is the one a window
// of that size would show; copies leave the pick markers out; and the window's
// framebuffer, viewport, projection and settings come through unchanged.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "view/kelvraView.h"
#include "output/imageFiles.h"
#include "output/picture.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"

namespace kelvra {
namespace {

constexpr PixelSize kWindow{160, 120};

// The whole current framebuffer of `size`, as the picture holds it.
std::vector<unsigned char> frame(PixelSize size) {
    ImageBuffer image;
    EXPECT_TRUE(readPicture(size.width, size.height, &image));
    return image.pixels;
}

test::Pixel pixelOf(const ImageBuffer& image, int x, int y) {
    const unsigned char* p = image.pixels.data() + (std::size_t(y) * image.width + x) * 4;
    return {p[0], p[1], p[2]};
}

int differing(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (std::size_t i = 0; i < a.size(); i += 4) n += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    return n;
}

struct GlState {
    GLint drawFramebuffer = 0, readFramebuffer = 0, viewport[4] = {};
    std::array<GLdouble, 16> projection{};
    bool operator==(const GlState& o) const {
        return drawFramebuffer == o.drawFramebuffer && readFramebuffer == o.readFramebuffer &&
               std::equal(viewport, viewport + 4, o.viewport) && projection == o.projection;
    }
};

GlState glState() {
    GlState s;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &s.drawFramebuffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &s.readFramebuffer);
    glGetIntegerv(GL_VIEWPORT, s.viewport);
    glGetDoublev(GL_PROJECTION_MATRIX, s.projection.data());
    return s;
}

// A colour-filled plane under a legend anchored at the right and an axis
// indicator at the lower left, in a window of kWindow.
struct PictureView : test::GridView {
    PictureView() {
        host.setPictureSize(kWindow);
        fill(6, 6, -1, 1, -1, 1, [](double x, double y) { return x + y; });
        for (int a = 0; a < 3; ++a) scale(a, -1, 1, 0.5);
        scale(3, -2, 2, 1);
        view.settings.legendShow = 1;
        view.settings.axisShow = 1;
        view.layoutAnchoredOverlays();
        draw(kWindow.width, kWindow.height);
    }
};

TEST(Picture, IsWhatTheWindowShowsAndLeavesTheWindowAsItWas) {
    GL_TEST_REQUIRE_CONTEXT(kWindow.width, kWindow.height);
    PictureView g;
    const std::vector<unsigned char> window = frame(kWindow);
    const GlState before = glState();
    const GraphSettings settings = g.view.settings;

    std::optional<ImageBuffer> picture = g.view.renderPicture(shownPicture(kWindow));
    ASSERT_TRUE(picture);
    EXPECT_EQ(std::pair(picture->width, picture->height), std::pair(kWindow.width, kWindow.height));
    EXPECT_EQ(picture->componentCount, 3);
    EXPECT_EQ(differing(picture->pixels, window), 0);

    EXPECT_TRUE(glState() == before);
    EXPECT_EQ(differing(frame(kWindow), window), 0) << "the window's own picture was drawn over";
    EXPECT_TRUE(g.view.settings == settings);

    // Sizes no framebuffer can have: no picture, and still nothing changed.
    EXPECT_FALSE(g.view.renderPicture(shownPicture({0, 50})));
    EXPECT_FALSE(g.view.renderPicture(shownPicture({50, 1 << 20})));
    EXPECT_TRUE(glState() == before);
}

TEST(Picture, OfAnotherSizeIsWhatAWindowOfThatSizeShowsWithoutPickMarkers) {
    constexpr PixelSize kOther{240, 100};
    GL_TEST_REQUIRE_CONTEXT(kOther.width, kOther.height);
    PictureView g;
    test::compileSquarePickMarker(0.1);
    g.view.state.pickMarkersShown = true;

    // What a window of the other size shows (markers hidden, overlays laid out for it).
    g.host.setPictureSize(kOther);
    g.view.layoutAnchoredOverlays();
    g.view.state.pickMarkersShown = false;
    g.view.paint(kOther.width, kOther.height);
    const std::vector<unsigned char> expected = frame(kOther);
    g.view.state.pickMarkersShown = true;
    g.host.setPictureSize(kWindow);
    g.view.layoutAnchoredOverlays();
    const GraphSettings settings = g.view.settings;

    std::optional<ImageBuffer> picture = g.view.renderPicture(resizedPicture(kOther));
    ASSERT_TRUE(picture);
    EXPECT_EQ(differing(picture->pixels, expected), 0);
    EXPECT_TRUE(g.view.settings == settings) << "the window's overlay layout was not put back";
    EXPECT_TRUE(g.view.state.pickMarkersShown);

    // The window's picture keeps its markers; the black square is in the middle.
    std::optional<ImageBuffer> shown = g.view.renderPicture(shownPicture(kOther));
    ASSERT_TRUE(shown);
    const int x = kOther.width / 2, y = kOther.height / 2;
    EXPECT_EQ(pixelOf(*shown, x, y), (test::Pixel{0, 0, 0}));
    EXPECT_NE(pixelOf(*picture, x, y), (test::Pixel{0, 0, 0}));
    glDeleteLists(ListPickMarker, 1);
}

// A picture larger than the driver's renderbuffers is drawn tile by tile:
// tiles of uneven sizes at the right and bottom edges put together give the
// picture drawn at once, seams included.
TEST(Picture, DrawnInTilesIsThePictureDrawnAtOnce) {
    GL_TEST_REQUIRE_CONTEXT(kWindow.width, kWindow.height);
    PictureView g;
    PictureRequest whole = shownPicture(kWindow);
    whole.scale = 3;   // 480 x 360
    std::optional<ImageBuffer> once = g.view.renderPicture(whole);
    ASSERT_TRUE(once);
    PictureRequest tiled = whole;
    tiled.tileSide = 100;   // 5 x 4 tiles, the last column 80 wide and the last row 60 high
    std::optional<ImageBuffer> pieces = g.view.renderPicture(tiled);
    ASSERT_TRUE(pieces);
    EXPECT_EQ(std::pair(pieces->width, pieces->height), std::pair(480, 360));
    EXPECT_EQ(differing(pieces->pixels, once->pixels), 0);
}

// The image save's 倍率 choices: a factor as it is; A4's width (210 mm) at
// 300 or 600 dpi as the factor that gives that many pixels across, which
// the file records, whatever the window's width.
TEST(Picture, TheScaleChoicesAskForTheirFactorOrA4sWidth) {
    const PixelSize client{775, 461};
    const auto pixels = [](const PictureRequest& r) { return std::pair(pictureSize(r).width, pictureSize(r).height); };
    const auto chosen = [&](int i, PixelSize c = {775, 461}) { return chosenPicture(c, kPictureScaleChoices[i], false); };
    EXPECT_EQ(pixels(chosen(0)), std::pair(775, 461));
    EXPECT_EQ(chosen(0).dotsPerInch, 0);
    EXPECT_EQ(chosen(0).vectorImageScale, 1);
    EXPECT_EQ(pixels(chosen(2)), std::pair(2325, 1383));
    const PictureRequest a4 = chosen(4);
    EXPECT_EQ(pictureSize(a4).width, 2480);   // 210 mm at 300 dpi
    EXPECT_EQ(a4.dotsPerInch, 300);
    EXPECT_DOUBLE_EQ(a4.vectorImageScale, 300.0 / 96.0);
    EXPECT_EQ(pictureSize(chosen(5)).width, 4961);
    // A window too narrow for 8 times its width, and one wider than A4 at 300 dpi.
    EXPECT_EQ(pixels(chosen(5, {300, 200})), std::pair(4961, 3307));
    EXPECT_EQ(pixels(chosen(4, {2560, 1280})), std::pair(2480, 1240));
    EXPECT_EQ(pixels(chosen(3, {300, 200})), std::pair(1200, 800));   // a factor stays one
    EXPECT_TRUE(chosenPicture(client, kPictureScaleChoices[1], true).transparent);
}

// A dpi choice past 8 times the window is drawn like any scale: in tiles,
// with the window's layout, so that the graph, legend and axis indicator
// cover the same share of the picture as of the window.
TEST(Picture, ADpiChoiceForANarrowWindowIsA4WideWithTheWindowsLayout) {
    GL_TEST_REQUIRE_CONTEXT(kWindow.width, kWindow.height);
    PictureView g;
    std::optional<ImageBuffer> small = g.view.renderPicture(shownPicture(kWindow));
    PictureRequest request = chosenPicture(kWindow, kPictureScaleChoices[4], false);
    request.tileSide = 1024;
    std::optional<ImageBuffer> a4 = g.view.renderPicture(request);
    ASSERT_TRUE(small && a4);
    EXPECT_EQ(std::pair(a4->width, a4->height), std::pair(2480, 1860));   // 15.5 times 160 x 120
    EXPECT_EQ(a4->dotsPerInch, 300);
    const auto drawnShare = [](const ImageBuffer& image) {
        long drawn = 0;
        for (std::size_t i = 0; i < image.pixels.size(); i += 4)
            drawn += image.pixels[i] != 255 || image.pixels[i + 1] != 255 || image.pixels[i + 2] != 255;
        return double(drawn) / (double(image.width) * image.height);
    };
    EXPECT_NEAR(drawnShare(*a4), drawnShare(*small), 0.02);
    // Every pixel of the window's picture is the colour of the middle of its
    // 15.5 x 15.5 block but where an edge or a glyph runs through.
    int same = 0, sampled = 0;
    for (int y = 0; y < kWindow.height; y += 3) {
        for (int x = 0; x < kWindow.width; x += 3, ++sampled)
            same += pixelOf(*a4, int((x + 0.5) * 15.5), int((y + 0.5) * 15.5)) == pixelOf(*small, x, y);
    }
    EXPECT_GT(same, sampled * 9 / 10);
}

}  // namespace
}  // namespace kelvra
