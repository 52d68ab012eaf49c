// The printed size of a picture: the side that reaches the printable area
// first fills it, the proportions are kept in inches, the other side is
// truncated, and sizes that make no page give none.
#include <gtest/gtest.h>

#include <climits>
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

}  // namespace
}  // namespace kelvra
