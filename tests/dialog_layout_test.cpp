// The two dialogs' controls: ids, kinds, styles, texts and positions.
#include "dialog_layout.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "about_texts.h"
#include "control_ids.h"
#include "dialog_ids.h"
#include "win32_styles.h"

namespace {

constexpr uint32_t CHILD = W32_WS_CHILD | W32_WS_VISIBLE;
constexpr uint32_t LABEL = CHILD | W32_SS_LEFT;
constexpr uint32_t CHECK = CHILD | W32_BS_AUTOCHECKBOX | W32_WS_TABSTOP;
constexpr uint32_t RADIO = CHILD | W32_BS_AUTORADIOBUTTON | W32_WS_TABSTOP;
constexpr uint32_t PUSH = CHILD | W32_BS_PUSHBUTTON | W32_WS_TABSTOP;

struct Expected {
    int id;
    uint16_t classAtom;
    uint32_t style;
    uint32_t exStyle;
    const char* text;
    int x, y, w, h;
};

void ExpectControls(const std::vector<ControlLayout>& controls, const std::vector<Expected>& expected) {
    ASSERT_EQ(controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        const ControlLayout& c = controls[i];
        const Expected& e = expected[i];
        EXPECT_EQ(c.id, e.id);
        EXPECT_EQ(c.classAtom, e.classAtom);
        EXPECT_EQ(c.style, e.style);
        EXPECT_EQ(c.exStyle, e.exStyle);
        if (e.text) {
            EXPECT_EQ(c.text, e.text);
        }
        EXPECT_EQ(c.x, e.x);
        EXPECT_EQ(c.y, e.y);
        EXPECT_EQ(c.width, e.w);
        EXPECT_EQ(c.height, e.h);
    }
}

TEST(MainDialogLayout, WindowIsAFixedCaptionedModalFrame) {
    const DialogLayout d = MainDialogLayout("");
    EXPECT_EQ(d.caption, "Quorvane sign illumination tool");
    EXPECT_EQ(d.width, 200);
    EXPECT_EQ(d.height, 240);
    EXPECT_EQ(d.style, W32_WS_CAPTION | W32_WS_SYSMENU | W32_DS_MODALFRAME | W32_DS_3DLOOK | W32_DS_NOFAILCREATE |
                           W32_DS_CENTER);
    EXPECT_EQ(d.style & W32_WS_VISIBLE, 0u) << "created invisible, shown when it runs";
}

TEST(MainDialogLayout, ControlsInCreationOrder) {
    const DialogLayout d = MainDialogLayout("642");
    ExpectControls(
        d.controls,
        {
            {-1, W32_CLASS_STATIC, LABEL, 0, "Diagram number", 6, 8, 60, 10},
            {35023, W32_CLASS_EDIT, CHILD | W32_WS_TABSTOP | W32_ES_AUTOHSCROLL, W32_WS_EX_CLIENTEDGE, "642", 61, 6, 40,
             12},
            {34995, W32_CLASS_BUTTON, CHECK, 0, "none", 110, 7, 40, 12},
            {34976, W32_CLASS_BUTTON, CHECK, 0, "Within 50m of a lamp column", 6, 26, 120, 12},
            {-1, W32_CLASS_STATIC, LABEL, 0, "Location/\r\nmounting", 6, 46, 49, 18},
            {34977, W32_CLASS_BUTTON, RADIO | W32_WS_GROUP, 0, "normal post(s)", 50, 46, 120, 10},
            {34978, W32_CLASS_BUTTON, RADIO, 0, "self-righting bollard", 50, 56, 120, 10},
            {34979, W32_CLASS_BUTTON, RADIO, 0, "internally illuminated bollard", 50, 66, 120, 10},
            {34980, W32_CLASS_BUTTON, RADIO, 0, "gantry or bridge structure", 50, 76, 120, 10},
            {34981, W32_CLASS_BUTTON, RADIO, 0, "traffic signal head", 50, 86, 120, 10},
            {34985, W32_CLASS_BUTTON, CHECK | W32_WS_GROUP, 0, "In a 20 mph speed limit or zone", 6, 100, 120, 12},
            {34986, W32_CLASS_BUTTON, CHECK, 0, "Repeater sign", 6, 115, 120, 12},
            {34987, W32_CLASS_BUTTON, CHECK, 0, "", 6, 130, 188, 12},
            {34953, W32_CLASS_STATIC, CHILD | W32_SS_CENTER, 0, "", 6, 175, 188, 10},
            {34954, W32_CLASS_STATIC, LABEL, 0, "", 6, 157, 188, 18},
            {34955, W32_CLASS_STATIC, LABEL, 0, "", 6, 188, 188, 27},
            {1, W32_CLASS_BUTTON, PUSH, 0, "Close", 75, 220, 50, 14},
        });
}

TEST(MainDialogLayout, NoLabelTakesClicksOrTheTabKey) {
    // Only W32_SS_NOTIFY labels show the hand cursor; the main dialog has none.
    for (const ControlLayout& c : MainDialogLayout("").controls) {
        if (c.classAtom != W32_CLASS_STATIC) continue;
        EXPECT_EQ(c.style & (W32_SS_NOTIFY | W32_WS_TABSTOP), 0u) << c.id;
    }
}

TEST(AboutBannerSize, FromTheDialogsUnitConversion) {
    struct Case {
        int pixelsX, pixelsY;
        uint32_t dpi;
        int W, H;
    } cases[] = {
        {1280, 1664, 96, 200, 35},  // Tahoma 8 at 96 dpi: 256000 / 1280, 58368 / 1664 = 35.08
        {1536, 1664, 96, 167, 35},  // 166.67
        {4096, 6144, 96, 63, 10},   // 62.5 and 9.5: halves go up
        {1024, 1024, 96, 250, 57},  // one pixel per unit
        {2560, 3328, 96, 100, 18},  // 17.54
        // At other dpi the banner is dpi / 96 times as many pixels (375 x 86
        // at 144 dpi), so with units grown alike W and H stay about the same.
        {2304, 2176, 144, 167, 40},  // 9 x 17 pixels per 4 x 8 units: 166.67 and 40.47
        {1536, 1536, 144, 250, 57},  // 375 x 1024 / 1536 = 250, 86 x 1024 / 1536 = 57.3
        {1536, 1536, 120, 209, 47},  // 313 x 71 pixels (312.5 and 71.25 rounded): 208.67 and 47.33
        {2048, 2048, 192, 250, 57},  // 500 x 114: exactly twice 96 dpi
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pixelsX) + " x " + std::to_string(c.pixelsY) + " at " + std::to_string(c.dpi));
        const BannerSize b = AboutBannerSize(c.pixelsX, c.pixelsY, c.dpi);
        EXPECT_EQ(b.width, c.W);
        EXPECT_EQ(b.height, c.H);
    }
}

TEST(AboutBannerSize, FailedConversionDoesNotDivideByZero) {
    const BannerSize b = AboutBannerSize(0, -5, 96);
    EXPECT_EQ(b.width, 250);
    EXPECT_EQ(b.height, 57);
}

TEST(Rounding, HalvesToEvenOrUp) {
    struct Case {
        int64_t num, den;
        int even, up;
    } cases[] = {
        {5, 2, 2, 3},  {7, 2, 4, 4}, {3, 2, 2, 2},  {1, 2, 0, 1},    {12, 5, 2, 2},
        {13, 5, 3, 3}, {0, 7, 0, 0}, {-1, 2, 0, 0}, {-3, 2, -2, -1}, {-7, 5, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.num) + "/" + std::to_string(c.den));
        EXPECT_EQ(RoundRatioHalfEven(c.num, c.den), c.even);
        EXPECT_EQ(RoundRatioHalfUp(c.num, c.den), c.up);
    }
}

TEST(AboutDialogLayout, WindowIsAFramedPopupWithoutTitleBar) {
    for (int32_t mode : {ABOUT_START, ABOUT_END}) {
        const DialogLayout d = AboutDialogLayout(mode, BannerSize{200, 35});
        EXPECT_EQ(d.caption, "Quorvane sign illumination tool");
        EXPECT_EQ(d.width, 270);
        EXPECT_EQ(d.height, 270);
        EXPECT_EQ(d.style, W32_WS_POPUP | W32_DS_MODALFRAME | W32_DS_SETFOREGROUND | W32_DS_3DLOOK |
                               W32_DS_NOFAILCREATE | W32_DS_CENTER);
    }
    const DialogLayout frame = AboutDialogFrame();
    EXPECT_EQ(frame.style, AboutDialogLayout(ABOUT_END, BannerSize{200, 35}).style);
    EXPECT_TRUE(frame.controls.empty());
}

TEST(AboutDialogLayout, EndModeControls) {
    const DialogLayout d = AboutDialogLayout(ABOUT_END, BannerSize{200, 35});
    ExpectControls(d.controls,
                   {
                       {34972, W32_CLASS_STATIC, CHILD | W32_SS_BITMAP, 0, "", 35, 12, 200, 37},
                       {34970, W32_CLASS_STATIC, CHILD | W32_SS_BITMAP | W32_SS_CENTERIMAGE, 0, "", 193, 8, 42, 37},
                       {34953, W32_CLASS_STATIC, CHILD | W32_SS_CENTER, 0, "sign illumination tool", 35, 55, 200, 12},
                       {-1, W32_CLASS_STATIC, CHILD | W32_SS_CENTER, 0, "version: 1.10  build: 1", 35, 65, 200, 12},
                       {34971, W32_CLASS_STATIC, CHILD | W32_SS_BITMAP | W32_SS_CENTERIMAGE, 0, "", 75, 170, 120, 30},
                       {-1, W32_CLASS_STATIC, CHILD | W32_SS_NOPREFIX, 0, nullptr, 6, 80, 258, 67},
                       {-1, W32_CLASS_STATIC, LABEL, 0, "for more information or to request an evaluation version.", 42,
                        145, 210, 10},
                       {35086, W32_CLASS_STATIC, CHILD | W32_SS_NOTIFY, 0, "Click here", 6, 145, 40, 10},
                       {-1, W32_CLASS_STATIC, CHILD | W32_SS_CENTER, 0, "Tel: +44 (0)20 7946 0371", 30, 233, 210, 9},
                       {35084, W32_CLASS_STATIC, CHILD | W32_SS_NOTIFY | W32_SS_CENTER, 0, "www.kestrix.example", 70,
                        222, 130, 10},
                       {35085, W32_CLASS_STATIC, CHILD | W32_SS_NOTIFY | W32_SS_CENTER, 0, "sales@kestrix.example", 70,
                        212, 130, 10},
                       {-1, W32_CLASS_STATIC, CHILD | W32_SS_CENTER | W32_SS_NOPREFIX, 0, nullptr, 30, 202, 210, 9},
                       {2, W32_CLASS_BUTTON, PUSH, 0, "Run again", 15, 250, 70, 14},
                       {34877, W32_CLASS_BUTTON, PUSH, 0, "Check for updates", 100, 250, 70, 14},
                       {1, W32_CLASS_BUTTON, PUSH | W32_BS_DEFPUSHBUTTON, 0, "Close", 185, 250, 70, 14},
                   });
    EXPECT_EQ(d.controls[5].text, AboutDescription(ABOUT_END));
    EXPECT_EQ(d.controls[11].text, MAKER_RIGHTS);
}

TEST(AboutDialogLayout, StartModeLeavesOutTheEndModeControls) {
    const DialogLayout d = AboutDialogLayout(ABOUT_START, BannerSize{200, 35});
    ExpectControls(d.controls,
                   {
                       {34972, W32_CLASS_STATIC, CHILD | W32_SS_BITMAP, 0, "", 35, 12, 200, 37},
                       {34970, W32_CLASS_STATIC, CHILD | W32_SS_BITMAP | W32_SS_CENTERIMAGE, 0, "", 193, 8, 42, 37},
                       {34953, W32_CLASS_STATIC, CHILD | W32_SS_CENTER, 0, "sign illumination tool", 35, 55, 200, 12},
                       {-1, W32_CLASS_STATIC, CHILD | W32_SS_CENTER, 0, "version: 1.10  build: 1", 35, 65, 200, 12},
                       {34971, W32_CLASS_STATIC, CHILD | W32_SS_BITMAP | W32_SS_CENTERIMAGE, 0, "", 75, 170, 120, 30},
                       {-1, W32_CLASS_STATIC, CHILD | W32_SS_NOPREFIX, 0, nullptr, 6, 80, 258, 87},
                       {-1, W32_CLASS_STATIC, CHILD | W32_SS_CENTER, 0, "Tel: +44 (0)20 7946 0371", 30, 233, 210, 9},
                       {35084, W32_CLASS_STATIC, CHILD | W32_SS_NOTIFY | W32_SS_CENTER, 0, "www.kestrix.example", 70,
                        222, 130, 10},
                       {35085, W32_CLASS_STATIC, CHILD | W32_SS_NOTIFY | W32_SS_CENTER, 0, "sales@kestrix.example", 70,
                        212, 130, 10},
                       {-1, W32_CLASS_STATIC, CHILD | W32_SS_CENTER | W32_SS_NOPREFIX, 0, nullptr, 30, 202, 210, 9},
                       {34877, W32_CLASS_BUTTON, PUSH, 0, "Check for updates", 10, 250, 70, 14},
                       {1, W32_CLASS_BUTTON, PUSH | W32_BS_DEFPUSHBUTTON, 0, "OK", 190, 250, 70, 14},
                   });
    EXPECT_EQ(d.controls[5].text, AboutDescription(ABOUT_START));
}

TEST(AboutDialogLayout, OnlyTheEndBitOfTheModeCounts) {
    struct Case {
        int32_t mode;
        bool end;
    } cases[] = {{0, false}, {1, false}, {2, true}, {3, true}, {4, false}, {6, true}, {-1, true}, {-3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        const DialogLayout d = AboutDialogLayout(c.mode, BannerSize{200, 35});
        EXPECT_EQ(d.controls.size(), c.end ? 15u : 12u);
        EXPECT_EQ(d.controls.back().text, c.end ? "Close" : "OK");
    }
}

TEST(AboutDialogLayout, BannerFollowsItsSize) {
    struct Case {
        int W, H;
        int nameX, bulbX, bulbWidth;
    } cases[] = {
        {200, 35, 35, 193, 42},   // bulb 192.6 and 42.4
        {201, 35, 34, 193, 43},   // 34.5 goes to the even 34; bulb width 42.612
        {203, 35, 34, 193, 43},   // 33.5 goes to the even 34; bulb 193.46
        {125, 20, 72, 171, 26},   // bulb width 26.5 goes to the even 26
        {375, 60, -52, 243, 80},  // 79.5 goes to the even 80; a banner wider than the dialog
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("W " + std::to_string(c.W));
        const DialogLayout d = AboutDialogLayout(ABOUT_END, BannerSize{c.W, c.H});
        const ControlLayout& name = d.controls[0];
        const ControlLayout& bulb = d.controls[1];
        EXPECT_EQ(name.x, c.nameX);
        EXPECT_EQ(name.width, c.W);
        EXPECT_EQ(name.height, c.H + 2);
        EXPECT_EQ(bulb.x, c.bulbX);
        EXPECT_EQ(bulb.width, c.bulbWidth);
        EXPECT_EQ(bulb.height, c.H + 2);
        EXPECT_EQ(bulb.y, 8);
    }
}

// The About dialog as it is shown at a dpi: its fixed layout where its
// pictures fit, the bulb's and the logo's labels grown about their middle
// where they do not.
const ControlLayout& ControlWithId(const DialogLayout& d, int id) {
    for (const ControlLayout& c : d.controls) {
        if (c.id == id) return c;
    }
    ADD_FAILURE() << "no control " << id;
    return d.controls.front();
}

TEST(AboutDialogLayoutAt, IsTheLayoutOfItsBannerWhereThePicturesFit) {
    // Tahoma 8 at 96 dpi: 6 x 13 pixels per 4 x 8 units on Windows, 6 x 12
    // under Wine; the 96-dpi dialog stays exactly as it was.
    const struct {
        DialogUnits units;
        uint32_t dpi;
    } cases[] = {{{6, 13}, 96}, {{6, 12}, 96}};
    for (const auto& c : cases) {
        for (int32_t mode : {ABOUT_START, ABOUT_END}) {
            SCOPED_TRACE(std::to_string(c.units.x) + " x " + std::to_string(c.units.y) + " at " +
                         std::to_string(c.dpi) + ", mode " + std::to_string(mode));
            const DialogLayout want = AboutDialogLayout(
                mode, AboutBannerSize(PixelsPer1024UnitsX(c.units), PixelsPer1024UnitsY(c.units), c.dpi));
            const DialogLayout got = AboutDialogLayoutAt(mode, c.units, c.dpi);
            ASSERT_EQ(got.controls.size(), want.controls.size());
            for (size_t i = 0; i < want.controls.size(); ++i) {
                EXPECT_EQ(got.controls[i].x, want.controls[i].x) << i;
                EXPECT_EQ(got.controls[i].y, want.controls[i].y) << i;
                EXPECT_EQ(got.controls[i].width, want.controls[i].width) << i;
                EXPECT_EQ(got.controls[i].height, want.controls[i].height) << i;
            }
        }
    }
}

TEST(AboutDialogLayoutAt, GrowsALabelTooSmallForItsPictureAboutItsMiddle) {
    struct Case {
        DialogUnits units;
        uint32_t dpi;
        int id;
        int x, y, w, h;
    } cases[] = {
        // 120 units of 7 pixels per 4 are 210 pixels for a logo of 215:
        // 123 units, the 3 more split 1 left and 2 right.
        {{7, 15}, 120, IDC_LOGO_ART, 74, 170, 123, 30},
        // A narrow font at 96 dpi: 150 pixels for the logo's 172.
        {{5, 13}, 96, IDC_LOGO_ART, 66, 170, 138, 30},
        // A short one: 30 units of 10 pixels per 8 are 37.5 for its 43.
        {{6, 10}, 96, IDC_LOGO_ART, 75, 168, 120, 34},
        // Tahoma 8 at 144 dpi under Wine: the bulb's 35 units of 9 pixels
        // per 4 are 78.75 for its 80 (79.5); one more unit, on the right.
        {{9, 17}, 144, IDC_BULB_ART, 183, 8, 36, 42},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.units.x) + " x " + std::to_string(c.units.y) + " at " + std::to_string(c.dpi));
        const DialogLayout d = AboutDialogLayoutAt(ABOUT_END, c.units, c.dpi);
        const ControlLayout& label = ControlWithId(d, c.id);
        EXPECT_EQ(label.x, c.x);
        EXPECT_EQ(label.y, c.y);
        EXPECT_EQ(label.width, c.w);
        EXPECT_EQ(label.height, c.h);
    }
}

TEST(AboutDialogLayoutAt, EveryPictureFitsItsLabelFrom96To240Dpi) {
    // Dialog units vary with the font's metrics at each dpi; every picture
    // must fit whatever units a Tahoma 8 of about that size gives, and stay
    // in the middle of where the layout put its label.
    for (uint32_t dpi = 96; dpi <= 240; dpi += 24) {
        for (int32_t x = ScaleToDpi(5, dpi); x <= ScaleToDpi(7, dpi); ++x) {
            for (int32_t y = ScaleToDpi(11, dpi); y <= ScaleToDpi(14, dpi); ++y) {
                const DialogUnits units{x, y};
                const DialogLayout fixed = AboutDialogLayout(
                    ABOUT_END, AboutBannerSize(PixelsPer1024UnitsX(units), PixelsPer1024UnitsY(units), dpi));
                const DialogLayout d = AboutDialogLayoutAt(ABOUT_END, units, dpi);
                for (const AboutPicture& picture : ABOUT_PICTURES) {
                    SCOPED_TRACE(std::string(picture.name) + " at " + std::to_string(dpi) + " dpi, " +
                                 std::to_string(x) + " x " + std::to_string(y));
                    const ControlLayout& label = ControlWithId(d, picture.id);
                    const PixelRect r = DialogRectToPixels(label.x, label.y, label.width, label.height, units);
                    if (picture.id == IDC_PRODUCT_ART) {
                        // Its label takes the picture's size, from its top-left.
                        EXPECT_EQ(label.style & W32_SS_CENTERIMAGE, 0u);
                        continue;
                    }
                    ASSERT_GE(r.right - r.left, ScaleToDpi(picture.width, dpi));
                    ASSERT_GE(r.bottom - r.top, ScaleToDpi(picture.height, dpi));
                    const ControlLayout& before = ControlWithId(fixed, picture.id);
                    ASSERT_LE(std::abs((2 * label.x + label.width) - (2 * before.x + before.width)), 1);
                    ASSERT_LE(std::abs((2 * label.y + label.height) - (2 * before.y + before.height)), 1);
                    // Nothing grows that need not.
                    if (label.width > before.width) {
                        ASSERT_LT(DialogRectToPixels(0, 0, label.width - 1, 1, units).right,
                                  ScaleToDpi(picture.width, dpi));
                    }
                }
            }
        }
    }
}

}  // namespace
