// The printed size of a picture: the side that reaches the printable area
// first fills it, the proportions are kept in inches, the other side is
// truncated, and sizes that make no page give none; and its place on the
// page, inside the margins and centred there.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <utility>

#include "output/pageFit.h"

namespace kelvra {
namespace {

constexpr PixelSize kA4At600{4961, 7016};   // A4 portrait at 600 dpi
constexpr PixelSize k600Dpi{600, 600};

std::pair<int, int> fit(PixelSize picture, PixelSize printable, PixelSize ppi = k600Dpi) {
    PixelSize s = fitToPrintableArea(picture, printable, ppi);
    return {s.width, s.height};
}

TEST(PageFit, AWideViewOnAPortraitPageFillsTheWidthAndATallOneOnALandscapePageTheHeight) {
    EXPECT_EQ(fit({800, 400}, kA4At600), std::pair(4961, 2480));
    EXPECT_EQ(fit({300, 600}, {kA4At600.height, kA4At600.width}), std::pair(2480, 4961));
    // The other two pairings: a wide view on a landscape page still fills the
    // width when it is wider than the page, the height when it is not.
    EXPECT_EQ(fit({2000, 1000}, {7016, 4961}), std::pair(7016, 3508));
    EXPECT_EQ(fit({1200, 1000}, {7016, 4961}), std::pair(5953, 4961));
    EXPECT_EQ(fit({100, 1000}, kA4At600), std::pair(701, 7016));
    // Proportions equal to the area's: the width rule, and the whole area.
    EXPECT_EQ(fit({4961, 7016}, kA4At600), std::pair(4961, 7016));
}

TEST(PageFit, ProportionsAreKeptInInchesAndTheShortSideIsTruncated) {
    // 600 x 300 dpi: a one-inch square area is 600 x 300 pixels, and a square
    // picture fills it.
    EXPECT_EQ(fit({100, 100}, {600, 300}, {600, 300}), std::pair(600, 300));
    // Twice as wide as tall on that printer: 600 x 150 pixels, an inch by half an inch.
    EXPECT_EQ(fit({200, 100}, {600, 300}, {600, 300}), std::pair(600, 150));
    EXPECT_EQ(fit({3, 1}, {100, 100}, {1, 1}), std::pair(100, 33));
    EXPECT_EQ(fit({1, 3}, {100, 100}, {1, 1}), std::pair(33, 100));
}

TEST(PageFit, TheFillingSideIsExactlyTheAreaAtAnySize) {
    // Printable pixels / ppi * ppi in floating point loses a pixel for some
    // sizes; the filling side must never come out one short.
    for (int side = 4000; side < 5000; ++side) {
        ASSERT_EQ(fitToPrintableArea({775, 490}, {side, 7016}, k600Dpi).width, side);
        ASSERT_EQ(fitToPrintableArea({490, 775}, {7016, side}, k600Dpi).height, side);
    }
}

TEST(PageFit, SizesThatMakeNoPageGiveNothingAndHugeOnesDoNotOverflow) {
    for (auto [picture, printable, ppi] : {std::tuple{PixelSize{0, 100}, kA4At600, k600Dpi},
                                           {PixelSize{100, -1}, kA4At600, k600Dpi},
                                           {PixelSize{100, 100}, PixelSize{0, 7016}, k600Dpi},
                                           {PixelSize{100, 100}, kA4At600, PixelSize{600, 0}},
                                           {PixelSize{100, 100}, kA4At600, PixelSize{-600, 600}}})
        EXPECT_EQ(fit(picture, printable, ppi), std::pair(0, 0));
    EXPECT_EQ(fit({16384, 1}, {INT_MAX, INT_MAX}, {INT_MAX, INT_MAX}), std::pair(INT_MAX, INT_MAX / 16384));
    // One inch wide, 16384 inches tall at one pixel per inch.
    EXPECT_EQ(fit({1, 16384}, {INT_MAX, INT_MAX}, {INT_MAX, 1}), std::pair(INT_MAX, 16384));
}

std::tuple<int, int, int, int> place(PixelSize picture, PixelSize page, PageMargins margins, PixelSize ppi = k600Dpi) {
    PixelRect r = placeOnPage(picture, page, margins, ppi);
    return {r.x, r.y, r.width, r.height};
}

TEST(PageFit, ThePictureFillsTheAreaInsideTheMarginsAndStandsInItsMiddle) {
    // A4 at 600 dpi with GTK's default margins: a quarter inch, 0.56 inch at the bottom.
    const PageMargins a4{150, 150, 150, 336};
    const int across = kA4At600.width - 300, down = kA4At600.height - 486;
    // A wide view fills the width between the margins and is centred top to bottom.
    auto [x, y, w, h] = place({800, 400}, kA4At600, a4);
    EXPECT_EQ(std::tuple(x, w, h), std::tuple(150, across, across / 2));
    EXPECT_EQ(y, 150 + (down - h) / 2);
    // The same integer fit as on the whole page, within the area.
    EXPECT_EQ(std::pair(w, h), fit({800, 400}, {across, down}));
    // A tall view fills the height and is centred across, on uneven margins too.
    auto [tx, ty, tw, th] = place({300, 600}, kA4At600, {100, 20, 400, 60});
    EXPECT_EQ(std::tuple(ty, th), std::tuple(20, kA4At600.height - 80));
    EXPECT_EQ(tx, 100 + (kA4At600.width - 500 - tw) / 2);
    // No margins: the whole page, as before.
    EXPECT_EQ(place({4961, 7016}, kA4At600, {}), std::tuple(0, 0, 4961, 7016));
}

TEST(PageFit, MarginsThatLeaveNoAreaGiveNoPlace) {
    EXPECT_EQ(place({800, 400}, kA4At600, {2500, 0, 2461, 0}), std::tuple(0, 0, 0, 0));
    EXPECT_EQ(place({800, 400}, kA4At600, {0, 8000, 0, 0}), std::tuple(0, 0, 0, 0));
    EXPECT_EQ(place({0, 400}, kA4At600, {}), std::tuple(0, 0, 0, 0));
    // Negative margins count as none; huge ones do not overflow.
    EXPECT_EQ(place({100, 100}, {100, 100}, {-50, -50, -50, -50}, {1, 1}), std::tuple(0, 0, 100, 100));
    EXPECT_EQ(place({100, 100}, {100, 100}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {1, 1}), std::tuple(0, 0, 0, 0));
}

}  // namespace
}  // namespace kelvra
