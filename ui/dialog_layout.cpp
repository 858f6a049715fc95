#include "dialog_layout.h"

#include "about_texts.h"
#include "control_ids.h"
#include "dialog_ids.h"
#include "display_scale.h"
#include "win32_styles.h"

namespace {

constexpr uint32_t CHILD = W32_WS_CHILD | W32_WS_VISIBLE;

ControlLayout Control(int id, uint16_t classAtom, uint32_t style, int x, int y, int width, int height,
                      std::string text) {
    ControlLayout c;
    c.id = id;
    c.classAtom = classAtom;
    c.style = CHILD | style;
    c.x = static_cast<int16_t>(x);
    c.y = static_cast<int16_t>(y);
    c.width = static_cast<int16_t>(width);
    c.height = static_cast<int16_t>(height);
    c.text = std::move(text);
    return c;
}

ControlLayout Label(int id, std::string text, int x, int y, int w, int h, uint32_t style = W32_SS_LEFT) {
    return Control(id, W32_CLASS_STATIC, style, x, y, w, h, std::move(text));
}

ControlLayout TextBox(int id, std::string text, int x, int y, int w, int h) {
    ControlLayout c = Control(id, W32_CLASS_EDIT, W32_WS_TABSTOP | W32_ES_AUTOHSCROLL, x, y, w, h, std::move(text));
    c.exStyle = W32_WS_EX_CLIENTEDGE;
    return c;
}

ControlLayout CheckBox(int id, std::string text, int x, int y, int w, int h, uint32_t extra = 0) {
    return Control(id, W32_CLASS_BUTTON, W32_BS_AUTOCHECKBOX | W32_WS_TABSTOP | extra, x, y, w, h, std::move(text));
}

ControlLayout OptionButton(int id, std::string text, int x, int y, int w, int h, uint32_t extra = 0) {
    return Control(id, W32_CLASS_BUTTON, W32_BS_AUTORADIOBUTTON | W32_WS_TABSTOP | extra, x, y, w, h, std::move(text));
}

ControlLayout PushButton(int id, std::string text, int x, int y, int w, int h, uint32_t extra = 0) {
    return Control(id, W32_CLASS_BUTTON, W32_BS_PUSHBUTTON | W32_WS_TABSTOP | extra, x, y, w, h, std::move(text));
}

constexpr int MAIN_WIDTH = 200;
constexpr int MAIN_HEIGHT = 240;
constexpr int ABOUT_SIZE = 270;

}  // namespace

const AboutPicture ABOUT_PICTURES[ABOUT_PICTURE_COUNT] = {
    {"QVTEXT", IDC_PRODUCT_ART, 184, 57},
    {"LBULB", IDC_BULB_ART, 53, 56},
    {"KXLOGO", IDC_LOGO_ART, 172, 43},
};

int RoundRatioHalfEven(int64_t num, int64_t den) {
    int64_t q = num / den;
    int64_t r = num % den;
    if (r < 0) {  // floor division
        --q;
        r += den;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
    return static_cast<int>(q);
}

int RoundRatioHalfUp(int64_t num, int64_t den) {
    int64_t q = num / den;
    int64_t r = num % den;
    if (r < 0) {
        --q;
        r += den;
    }
    if (2 * r >= den) ++q;
    return static_cast<int>(q);
}

DialogLayout MainDialogLayout(const std::string& initialNumber) {
    DialogLayout d;
    d.caption = DIALOG_CAPTION;
    d.style = W32_WS_CAPTION | W32_WS_SYSMENU | W32_DS_MODALFRAME | W32_DS_3DLOOK | W32_DS_NOFAILCREATE | W32_DS_CENTER;
    d.width = MAIN_WIDTH;
    d.height = MAIN_HEIGHT;
    const int fullWidth = MAIN_WIDTH - 12;
    d.controls = {
        Label(-1, "Diagram number", 6, 8, 60, 10),
        TextBox(IDC_DIAGRAM_NUMBER, initialNumber, 61, 6, 40, 12),
        CheckBox(IDC_NONE, "none", 110, 7, 40, 12),
        CheckBox(IDC_LAMP_COLUMN, "Within 50m of a lamp column", 6, 26, 120, 12),
        Label(-1, "Location/\r\nmounting", 6, 46, 49, 18),
        OptionButton(IDC_NORMAL_POSTS, "normal post(s)", 50, 46, 120, 10, W32_WS_GROUP),
        OptionButton(IDC_SELF_RIGHTING_BOLLARD, "self-righting bollard", 50, 56, 120, 10),
        OptionButton(IDC_BOLLARD, "internally illuminated bollard", 50, 66, 120, 10),
        OptionButton(IDC_GANTRY, "gantry or bridge structure", 50, 76, 120, 10),
        OptionButton(IDC_SIGNAL_HEAD, "traffic signal head", 50, 86, 120, 10),
        CheckBox(IDC_20MPH, "In a 20 mph speed limit or zone", 6, 100, 120, 12, W32_WS_GROUP),
        CheckBox(IDC_REPEATER, "Repeater sign", 6, 115, 120, 12),
        CheckBox(IDC_CONDITION, "", 6, 130, fullWidth, 12),
        Label(IDC_RESULT, "", 6, MAIN_HEIGHT - 65, fullWidth, 10, W32_SS_CENTER),
        Label(IDC_RESULT_HEADER, "", 6, MAIN_HEIGHT - 83, fullWidth, 18),
        Label(IDC_RESULT_NOTE, "", 6, MAIN_HEIGHT - 52, fullWidth, 27),
        PushButton(W32_IDOK, "Close", (MAIN_WIDTH - 50) / 2, MAIN_HEIGHT - 20, 50, 14),
    };
    return d;
}

BannerSize AboutBannerSize(int pixelsPer1024UnitsX, int pixelsPer1024UnitsY, uint32_t dpi) {
    // A failed conversion (no pixels) is taken as one pixel per unit rather
    // than divided by.
    if (pixelsPer1024UnitsX <= 0) pixelsPer1024UnitsX = 1024;
    if (pixelsPer1024UnitsY <= 0) pixelsPer1024UnitsY = 1024;
    // The pictures are shown at dpi / 96 times their size, so the banner is.
    BannerSize b;
    b.width = RoundRatioHalfUp(int64_t{ScaleToDpi(250, dpi)} * 1024, pixelsPer1024UnitsX);
    b.height = RoundRatioHalfUp(int64_t{ScaleToDpi(57, dpi)} * 1024, pixelsPer1024UnitsY);
    return b;
}

DialogLayout AboutDialogFrame() {
    DialogLayout d;
    d.caption = DIALOG_CAPTION;
    d.style =
        W32_WS_POPUP | W32_DS_MODALFRAME | W32_DS_SETFOREGROUND | W32_DS_3DLOOK | W32_DS_NOFAILCREATE | W32_DS_CENTER;
    d.width = ABOUT_SIZE;
    d.height = ABOUT_SIZE;
    return d;
}

namespace {

// Grows `label` to hold `width` x `height` pixels at `units`, each way only
// where it is too small, keeping its middle (an odd unit goes right or down).
void GrowToHold(ControlLayout& label, int32_t width, int32_t height, DialogUnits units) {
    const int wide = UnitsToHold(width, units.x, 4);
    const int high = UnitsToHold(height, units.y, 8);
    if (wide > label.width) {
        label.x = static_cast<int16_t>(label.x - (wide - label.width) / 2);
        label.width = static_cast<int16_t>(wide);
    }
    if (high > label.height) {
        label.y = static_cast<int16_t>(label.y - (high - label.height) / 2);
        label.height = static_cast<int16_t>(high);
    }
}

}  // namespace

DialogLayout AboutDialogLayout(int32_t mode, BannerSize banner) {
    const bool endMode = IsEndMode(mode);
    const int W = banner.width;
    const int H = banner.height;
    const int half = ABOUT_SIZE / 2;
    const std::string description = AboutDescription(mode);
    const int T = DescriptionHeight(description);

    DialogLayout d = AboutDialogFrame();
    auto& c = d.controls;
    // The banner: the family's name from its left edge, the bulb centred in a
    // box at its right edge (W x 53/250 wide, the bulb's share of 250 pixels).
    c.push_back(Label(IDC_PRODUCT_ART, "", RoundRatioHalfEven(ABOUT_SIZE - W, 2), 12, W, H + 2, W32_SS_BITMAP));
    const int bulbWidth = RoundRatioHalfEven(int64_t{W} * 53, 250);
    const int bulbX = RoundRatioHalfEven(int64_t{ABOUT_SIZE + W} * 250 - int64_t{W} * 106, 500);
    c.push_back(Label(IDC_BULB_ART, "", bulbX, 8, bulbWidth, H + 2, W32_SS_BITMAP | W32_SS_CENTERIMAGE));
    c.push_back(Label(IDC_RESULT, ABOUT_TITLE, half - 100, 55, 200, 12, W32_SS_CENTER));
    c.push_back(Label(-1, VersionLine(), half - 100, 65, 200, 12, W32_SS_CENTER));
    c.push_back(Label(IDC_LOGO_ART, "", half - 60, 170, 120, 30, W32_SS_BITMAP | W32_SS_CENTERIMAGE));
    c.push_back(Label(-1, description, 6, 80, ABOUT_SIZE - 12, T, W32_SS_NOPREFIX));
    if (endMode) {
        c.push_back(Label(-1, MORE_INFORMATION_TEXT, 42, T + 78, ABOUT_SIZE - 60, 10));
        c.push_back(Label(IDC_LINK_MORE, "Click here", 6, T + 78, 40, 10, W32_SS_NOTIFY));
    }
    c.push_back(Label(-1, MAKER_TELEPHONE, half - 105, 233, ABOUT_SIZE - 60, 9, W32_SS_CENTER));
    c.push_back(Label(IDC_LINK_WEB, MAKER_WEB_ADDRESS, half - 65, 222, 130, 10, W32_SS_NOTIFY | W32_SS_CENTER));
    c.push_back(Label(IDC_LINK_MAIL, MAKER_EMAIL, half - 65, 212, 130, 10, W32_SS_NOTIFY | W32_SS_CENTER));
    c.push_back(Label(-1, MAKER_RIGHTS, half - 105, 202, ABOUT_SIZE - 60, 9, W32_SS_CENTER | W32_SS_NOPREFIX));
    const int m = (ABOUT_SIZE - 50) / 2;
    if (endMode) {
        c.push_back(PushButton(W32_IDCANCEL, "Run again", m - 95, 250, 70, 14));
        c.push_back(PushButton(IDC_CHECK_UPDATES, "Check for updates", m - 10, 250, 70, 14));
        c.push_back(PushButton(W32_IDOK, "Close", m + 75, 250, 70, 14, W32_BS_DEFPUSHBUTTON));
    } else {
        c.push_back(PushButton(IDC_CHECK_UPDATES, "Check for updates", 10, 250, 70, 14));
        c.push_back(PushButton(W32_IDOK, "OK", ABOUT_SIZE - 80, 250, 70, 14, W32_BS_DEFPUSHBUTTON));
    }
    return d;
}

DialogLayout AboutDialogLayoutAt(int32_t mode, DialogUnits units, uint32_t dpi) {
    DialogLayout d =
        AboutDialogLayout(mode, AboutBannerSize(PixelsPer1024UnitsX(units), PixelsPer1024UnitsY(units), dpi));
    for (ControlLayout& c : d.controls) {
        if (c.classAtom != W32_CLASS_STATIC || (c.style & W32_SS_TYPEMASK) != W32_SS_BITMAP ||
            (c.style & W32_SS_CENTERIMAGE) == 0)
            continue;
        for (const AboutPicture& picture : ABOUT_PICTURES) {
            if (picture.id == c.id) {
                GrowToHold(c, ScaleToDpi(picture.width, dpi), ScaleToDpi(picture.height, dpi), units);
            }
        }
    }
    return d;
}
