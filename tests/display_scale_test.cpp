// Sizes at other dpi: rounding of scaled pixels and dialog units, the fonts
// made for a window's dpi, the choice of artwork and its resampling.
#include "display_scale.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ScaleToDpi, RoundsToTheNearestPixelHalvesAwayFromZero) {
    struct Case {
        int32_t pixels;
        uint32_t dpi;
        int32_t scaled;
    } cases[] = {
        {16, 96, 16},    {184, 96, 184},  // unchanged at 96 dpi
        {16, 120, 20},   {53, 120, 66},   // 66.25
        {57, 144, 86},   {7, 144, 11},    // 85.5 and 10.5 go up
        {-11, 144, -17},                  // -16.5 goes down
        {184, 72, 138},  {57, 72, 43},    // 42.75
        {0, 192, 0},     {250, 192, 500},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScaleToDpi(c.pixels, c.dpi), c.scaled) << c.pixels << " at " << c.dpi;
    }
}

TEST(DialogUnits, FromTheFontsLettersAsTheDialogManagerMeasures) {
    struct Case {
        int32_t alphabetWidth, cellHeight;
        int32_t x, y;
    } cases[] = {
        {334, 12, 6, 12},  // Tahoma 8 under Wine at 96 dpi: 12.8 per letter
        {491, 17, 9, 17},  // at 144 dpi: 18.9 per letter
        {260, 13, 5, 13},  // 10 per letter: half of it exactly
        {286, 13, 6, 13},  // 11 per letter: halves go up
        {25, 1, 0, 1},     // less than one pixel per letter
    };
    for (const Case& c : cases) {
        const DialogUnits units = DialogUnitsOfFont(c.alphabetWidth, c.cellHeight);
        EXPECT_EQ(units.x, c.x) << c.alphabetWidth;
        EXPECT_EQ(units.y, c.y) << c.cellHeight;
    }
}

TEST(DialogUnits, ARectangleConvertsItsPositionAndSizeEachOnItsOwn) {
    struct Case {
        int32_t x, y, w, h;
        DialogUnits units;
        PixelRect pixels;
    } cases[] = {
        // The main dialog's "Close" at 6 x 12 pixels per 4 x 8 units.
        {75, 220, 50, 14, {6, 12}, {113, 330, 188, 351}},  // 112.5 and 75, 330 and 21
        // "Diagram number" at 144 dpi (9 x 17): 13.5, 17, 135 and 21.25.
        {6, 8, 60, 10, {9, 17}, {14, 17, 149, 38}},
        // A unit that is 1.5 pixels: the right edge is the rounded left edge
        // plus the rounded width (2 + 2), not the rounded edge 3.
        {1, 1, 1, 1, {6, 12}, {2, 2, 4, 4}},
        {0, 0, 200, 240, {5, 13}, {0, 0, 250, 390}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y) + " " + std::to_string(c.w) + "x" +
                     std::to_string(c.h));
        const PixelRect r = DialogRectToPixels(c.x, c.y, c.w, c.h, c.units);
        EXPECT_EQ(r.left, c.pixels.left);
        EXPECT_EQ(r.top, c.pixels.top);
        EXPECT_EQ(r.right, c.pixels.right);
        EXPECT_EQ(r.bottom, c.pixels.bottom);
    }
    // What the About banner is sized by: 1024 units in pixels.
    EXPECT_EQ(PixelsPer1024UnitsX({5, 13}), 1280);
    EXPECT_EQ(PixelsPer1024UnitsY({5, 13}), 1664);
    EXPECT_EQ(PixelsPer1024UnitsX({9, 17}), 2304);
    EXPECT_EQ(PixelsPer1024UnitsY({9, 17}), 2176);
}

TEST(Fonts, StockFontsFollowTheWindowsDpiFromTheSystems) {
    struct Case {
        int32_t stockHeight;
        uint32_t windowDpi, systemDpi;
        int32_t height;
    } cases[] = {
        {-11, 96, 96, -11},    // nothing changes at 96 dpi
        {-17, 144, 144, -17},  // the stock font is already the window's
        {-11, 144, 96, -17},   // -16.5
        {-17, 96, 144, -11},   // a 96-dpi monitor beside a 144-dpi system: -11.33
        {-11, 192, 0, -22},    // no system dpi known: 96
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StockFontHeightFor(c.stockHeight, c.windowDpi, c.systemDpi), c.height)
            << c.stockHeight << " for " << c.windowDpi << " on " << c.systemDpi;
    }
}

TEST(Fonts, TheTitleIsTheStockSystemFontOnlyAt96DpiAndFitsItsLabelElsewhere) {
    EXPECT_TRUE(TitleUsesStockFont(96, 96));
    EXPECT_FALSE(TitleUsesStockFont(144, 144)) << "a raster font does not scale by 1.5";
    EXPECT_FALSE(TitleUsesStockFont(96, 144)) << "the stock font is made for 144 dpi";
    EXPECT_FALSE(TitleUsesStockFont(120, 96));
    // Elsewhere a bold TrueType face, Tahoma before Microsoft Sans Serif.
    ASSERT_EQ(sizeof TITLE_FONT_FACES / sizeof TITLE_FONT_FACES[0], 2u);
    EXPECT_STREQ(TITLE_FONT_FACES[0], "Tahoma");
    EXPECT_STREQ(TITLE_FONT_FACES[1], "Microsoft Sans Serif");

    struct Case {
        uint32_t dpi;
        int32_t labelHeight;
        int32_t height;
    } cases[] = {
        {96, 0, 16},   {120, 0, 20},  {144, 0, 24}, {168, 0, 28},
        {192, 0, 32},  {240, 0, 40},  {72, 0, 12},  {100, 0, 17},  // 16.67
        {144, 26, 24},                                             // the About title's label is taller
        {144, 21, 21},                                             // a shorter label
        {192, 30, 30}, {120, 20, 20},                              // exactly as tall
        {168, 1, 1},                                               // however short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TitleFontHeightFor(c.dpi, c.labelHeight), c.height) << c.dpi << " dpi, label " << c.labelHeight;
    }
}

TEST(DialogUnits, TheFewestUnitsThatHoldALength) {
    struct Case {
        int32_t pixels, unitPixels, unitCount;
        int32_t units;
    } cases[] = {
        {172, 6, 4, 115},                                // 114 units are 171 pixels, 115 are 172.5, which rounds up
        {172, 5, 4, 138},                                // 137.6: 137 units are 171.25
        {215, 7, 4, 123},                                // 122.86
        {43, 12, 8, 29},                                 // 28.67: 28 units are 42
        {56, 13, 8, 35},                                 // 34.46: 34 units are 55.25
        {6, 6, 4, 4},                                    // exactly: 4 units are 6 pixels
        {5, 6, 4, 3},                                    // 3 units are 4.5, which rounds up to 5
        {0, 6, 4, 0},     {-3, 6, 4, 0}, {10, 0, 4, 0},  // nothing to hold, or no units
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnitsToHold(c.pixels, c.unitPixels, c.unitCount), c.units)
            << c.pixels << " pixels at " << c.unitPixels << " per " << c.unitCount;
    }
    // Whatever the length and the unit size, the answer holds it and one
    // unit fewer does not, as DialogRectToPixels converts a width.
    for (int32_t unitPixels = 4; unitPixels <= 20; ++unitPixels) {
        for (int32_t pixels = 1; pixels <= 600; ++pixels) {
            const DialogUnits units{unitPixels, unitPixels * 2};
            const int32_t across = UnitsToHold(pixels, units.x, 4);
            const int32_t down = UnitsToHold(pixels, units.y, 8);
            ASSERT_GE(
                DialogRectToPixels(3, 5, across, 1, units).right - DialogRectToPixels(3, 5, across, 1, units).left,
                pixels);
            ASSERT_LT(DialogRectToPixels(0, 0, across - 1, 1, units).right, pixels) << pixels << " / " << unitPixels;
            ASSERT_GE(DialogRectToPixels(0, 0, 1, down, units).bottom, pixels);
            ASSERT_LT(DialogRectToPixels(0, 0, 1, down - 1, units).bottom, pixels) << pixels << " / " << unitPixels;
        }
    }
}

TEST(Artwork, PicksTheSmallestDrawingAtLeastAsLargeAsWanted) {
    struct Case {
        int32_t width, height;
        uint32_t dpi;
        int32_t percent, shownWidth, shownHeight;
        bool resampled;
    } cases[] = {
        {184, 57, 96, 100, 184, 57, false},    // as it always was
        {184, 57, 72, 100, 138, 43, true},     // smaller than any drawing
        {184, 57, 97, 150, 186, 58, true},     // just above 96 dpi: the 150 % drawing made smaller
        {184, 57, 120, 150, 230, 71, true},    // 125 %
        {184, 57, 144, 150, 276, 86, false},   // 150 %: the drawing itself
        {184, 57, 168, 200, 322, 100, true},   // 175 %
        {184, 57, 192, 200, 368, 114, false},  // 200 %
        {184, 57, 240, 200, 460, 143, true},   // beyond the largest drawing
        {53, 56, 144, 150, 80, 84, false},     // LBULB: 79.5 rounds as the drawing's size does
        {172, 43, 144, 150, 258, 65, false},   // KXLOGO: 64.5 likewise
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " at " + std::to_string(c.dpi));
        const ArtworkPick pick = PickArtwork(c.width, c.height, c.dpi);
        EXPECT_EQ(pick.percent, c.percent);
        EXPECT_EQ(pick.width, c.shownWidth);
        EXPECT_EQ(pick.height, c.shownHeight);
        EXPECT_EQ(pick.resampled, c.resampled);
    }
    EXPECT_EQ(ArtworkResourceName("QVTEXT", 100), "QVTEXT");
    EXPECT_EQ(ArtworkResourceName("LBULB", 150), "LBULB150");
}

TEST(Artwork, EveryDrawingIsShownAsItIsAtItsOwnDpi) {
    for (int32_t percent : ARTWORK_PERCENTS) {
        const uint32_t dpi = static_cast<uint32_t>(percent) * BASE_DPI / 100;
        for (int32_t length = 1; length <= 400; ++length) {
            const ArtworkPick pick = PickArtwork(length, length, dpi);
            ASSERT_EQ(pick.percent, percent) << length;
            ASSERT_FALSE(pick.resampled) << length << " at " << percent << " %";
            ASSERT_EQ(pick.width, ArtworkSize(length, percent));
        }
    }
}

std::vector<uint32_t> Resampled(const std::vector<uint32_t>& source, int32_t sw, int32_t sh, int32_t tw, int32_t th) {
    std::vector<uint32_t> target(static_cast<size_t>(tw * th), 0xDEADBEEF);
    ResampleByArea(source.data(), sw, sh, target.data(), tw, th);
    return target;
}

TEST(Resample, OneColourStaysExactlyThatColour) {
    // The face colour around the artwork must not turn into a near miss.
    const uint32_t face = 0x00F0F0F0;
    const struct {
        int32_t sw, sh, tw, th;
    } sizes[] = {{276, 86, 230, 71}, {368, 114, 322, 100}, {368, 114, 460, 143}, {3, 7, 7, 3}, {1, 1, 5, 2}};
    for (const auto& s : sizes) {
        const std::vector<uint32_t> source(static_cast<size_t>(s.sw * s.sh), face);
        for (uint32_t pixel : Resampled(source, s.sw, s.sh, s.tw, s.th)) {
            ASSERT_EQ(pixel, face) << s.sw << "x" << s.sh << " to " << s.tw << "x" << s.th;
        }
    }
}

TEST(Resample, AveragesTheAreaEachPixelCovers) {
    // The same size: every pixel as it was (the unused top byte dropped).
    const std::vector<uint32_t> picture = {0xFF102030, 0x00405060, 0x00708090, 0x00A0B0C0, 0x00D0E0F0, 0x00010203};
    EXPECT_EQ(Resampled(picture, 3, 2, 3, 2),
              (std::vector<uint32_t>{0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x010203}));

    // Half the size: each 2 x 2 block averaged, each colour on its own,
    // halves rounded up (0x00 and 0xFF give 0x80).
    const std::vector<uint32_t> blocks = {0x0000FF, 0x00FF00, 0x000000, 0x000000,  //
                                          0xFF0000, 0x000000, 0x000000, 0xFFFFFF};
    EXPECT_EQ(Resampled(blocks, 4, 2, 2, 1), (std::vector<uint32_t>{0x404040, 0x404040}));
    EXPECT_EQ(Resampled({0x000000, 0xFFFFFF}, 2, 1, 1, 1), (std::vector<uint32_t>{0x808080}));

    // One and a half times the size: the middle pixel lies half on each
    // source pixel and blends them; the outer ones keep their colour.
    EXPECT_EQ(Resampled({0x102030, 0x305070}, 2, 1, 3, 1), (std::vector<uint32_t>{0x102030, 0x203850, 0x305070}));
    EXPECT_EQ(Resampled({0x102030, 0x305070}, 1, 2, 1, 3), (std::vector<uint32_t>{0x102030, 0x203850, 0x305070}));

    // Two thirds of the size: the first target pixel covers one source pixel
    // and half of the next.
    EXPECT_EQ(Resampled({0x000000, 0x0000C0, 0x0000C0}, 3, 1, 2, 1), (std::vector<uint32_t>{0x000040, 0x0000C0}));
}

TEST(Resample, NothingHappensForAnEmptyPicture) {
    std::vector<uint32_t> target(4, 0x123456);
    const uint32_t source[1] = {0};
    ResampleByArea(source, 0, 1, target.data(), 2, 2);
    ResampleByArea(source, 1, 1, target.data(), 2, 0);
    EXPECT_EQ(target, std::vector<uint32_t>(4, 0x123456));
}

}  // namespace
