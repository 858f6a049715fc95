// The two dialogs as data: the window and its controls in creation order
// (which is also the tab order), in dialog units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display_scale.h"

// One control of a dialog template.
struct ControlLayout {
    int id = -1;             // -1 for labels that are never addressed
    uint16_t classAtom = 0;  // W32_CLASS_BUTTON, W32_CLASS_EDIT or W32_CLASS_STATIC
    uint32_t style = 0;      // complete style, WS_CHILD and WS_VISIBLE included
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, width = 0, height = 0;
    std::string text;  // 8-bit text, converted when the template is built
};

struct DialogLayout {
    std::string caption;
    uint32_t style = 0;  // DS_SETFONT is added by the template writer when a font is given
    int16_t width = 0, height = 0;
    std::vector<ControlLayout> controls;
};

// The main dialog, with the diagram-number box starting as `initialNumber`.
DialogLayout MainDialogLayout(const std::string& initialNumber);

// The QVTEXT and LBULB banner (250 x 57 pixels at 96 dpi, and dpi / 96
// times that at `dpi`) in dialog units, from what the dialog's unit
// conversion makes of a 1024 x 1024 unit rectangle.
struct BannerSize {
    int width = 0;   // W
    int height = 0;  // H
};
BannerSize AboutBannerSize(int pixelsPer1024UnitsX, int pixelsPer1024UnitsY, uint32_t dpi);

// The About dialog for `mode` (only its ABOUT_END bit counts), its pictures
// placed by the banner size in dialog units.
DialogLayout AboutDialogLayout(int32_t mode, BannerSize banner);

// The About dialog's pictures: the bitmap resource of the 100 % drawing,
// the label that shows it and the picture's size in pixels at 96 dpi; at
// another dpi it is shown at dpi / 96 times that size.
struct AboutPicture {
    const char* name;
    int id;
    int32_t width, height;
};
constexpr size_t ABOUT_PICTURE_COUNT = 3;
extern const AboutPicture ABOUT_PICTURES[ABOUT_PICTURE_COUNT];  // QVTEXT, LBULB, KXLOGO

// The About dialog for `mode` as it is shown on a screen of `dpi` where its
// font makes `units`: the banner sized from what 1024 units come to there,
// and each label that centres its picture (the bulb and the logo) made
// large enough to hold its picture at that dpi whole, grown evenly about
// its middle. (The name artwork's label takes its picture's size itself.)
DialogLayout AboutDialogLayoutAt(int32_t mode, DialogUnits units, uint32_t dpi);

// The About dialog's window alone, without controls.
DialogLayout AboutDialogFrame();

// Rounds num / den (den > 0) to the nearest whole number: halves to the even
// one, or halves upwards.
int RoundRatioHalfEven(int64_t num, int64_t den);
int RoundRatioHalfUp(int64_t num, int64_t den);
