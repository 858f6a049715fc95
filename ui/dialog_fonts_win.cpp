// The fonts that the dialog on show draws its texts in, made for its dpi:
// the default dialog font, for the dialog and every control; the bold
// title font of the result word and the About title; and LinkFont
// (links_win.cpp) for the link labels. The default dialog font is kept for
// the dpi in use and made anew when a dialog needs another; the fonts
// replaced are freed once no control has them any more.
#include "dialogs_win.h"

#include "control_ids.h"
#include "dialog_font.h"
#include "dialog_ids.h"
#include "display_dpi_win.h"

namespace {

struct TextFont {
    uint32_t dpi = 0;
    HFONT font = nullptr;
};

struct TitleFont {
    uint32_t dpi = 0;
    int32_t labelHeight = 0;
    HFONT font = nullptr;  // the stock system font where that serves
};

TextFont Text;
TitleFont Title;

HFONT StockSystemFont() { return static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

// The default dialog font for `dpi`. The template's font block names only
// the face and size, and the window system chooses the weight and character
// set of the font it makes from it (Wine: weight 0 and DEFAULT_CHARSET;
// from an extended template still DEFAULT_CHARSET); this one is exactly
// the default dialog font. None before start-up has set a face.
HFONT MakeTextFont(uint32_t dpi) {
    const DialogFont& want = DefaultDialogFont;
    if (!want.face || !want.face[0]) return nullptr;
    LOGFONTA description{};
    description.lfHeight = DialogFontHeight(want, static_cast<int32_t>(dpi));
    description.lfWeight = want.weight;
    description.lfItalic = want.italic ? TRUE : FALSE;
    description.lfCharSet = want.charset;
    lstrcpynA(description.lfFaceName, want.face, LF_FACESIZE);
    return CreateFontIndirectA(&description);
}

// A copy of the stock system font of `size`, at least bold.
HFONT MakeTitleFont(TitleFontSize size) {
    LOGFONTA description{};
    if (!GetObjectA(StockSystemFont(), sizeof description, &description)) return nullptr;
    description.lfHeight = size.height;
    description.lfWidth = size.width;
    if (description.lfWeight < FW_BOLD) description.lfWeight = FW_BOLD;
    return CreateFontIndirectA(&description);
}

// A copy made for `dpi` that fits a label `labelHeight` pixels high. The
// font mapper may round a cell height up by a pixel, so a font that comes
// out taller than the label is made again a pixel smaller, a few times at
// most. (Eight vertical dialog units of a font are its cell height.)
HFONT MakeTitleFont(uint32_t dpi, int32_t labelHeight) {
    HFONT font = nullptr;
    for (int32_t limit = labelHeight, tries = 0; tries < 4; --limit, ++tries) {
        if (font) DeleteObject(font);
        font = MakeTitleFont(TitleFontSizeFor(dpi, limit));
        if (!font || labelHeight <= 0 || limit <= 1 || DialogUnitsOf(font).y <= labelHeight) break;
    }
    return font;
}

// The title font for a label `labelHeight` pixels high on a screen of
// `dpi`: the stock system font at 96 dpi, elsewhere a copy made for it.
HFONT TitleFontFor(uint32_t dpi, int32_t labelHeight) {
    const bool stock = TitleUsesStockFont(dpi, SystemDpi());
    if (Title.font && Title.dpi == dpi && (stock || Title.labelHeight == labelHeight)) return Title.font;
    HFONT made = stock ? StockSystemFont() : MakeTitleFont(dpi, labelHeight);
    if (!made) return Title.font ? Title.font : StockSystemFont();
    // Only the result word or the title had the old one, and it is given
    // the new one at once.
    if (Title.font && Title.font != StockSystemFont()) DeleteObject(Title.font);
    Title = TitleFont{dpi, labelHeight, made};
    return made;
}

}  // namespace

HFONT DialogTextFont() { return Text.font; }

HFONT DialogTitleFont() { return Title.font ? Title.font : StockSystemFont(); }

void GiveControlsTheDialogFont(HWND dialog, uint32_t dpi) {
    HFONT replaced = nullptr;
    if (Text.dpi != dpi || !Text.font) {
        // A font that cannot be made leaves the controls with the one they have.
        if (HFONT made = MakeTextFont(dpi)) {
            replaced = Text.font;
            Text = TextFont{dpi, made};
        }
    }
    if (Text.font) {
        for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Text.font), FALSE);
        }
    }
    // Every control has the new font now; dialogs before this one are gone.
    if (replaced) DeleteObject(replaced);
}

// The fonts that WM_CTLCOLORSTATIC selects, given to the labels themselves
// as well: Wine draws a label in its own font whatever that message selects.
void GiveLabelsTheirFonts(HWND dialog, uint32_t dpi) {
    if (HWND result = GetDlgItem(dialog, IDC_RESULT)) {
        RECT area{};
        GetClientRect(result, &area);
        HFONT title = TitleFontFor(dpi, area.bottom - area.top);
        SendMessageW(result, WM_SETFONT, reinterpret_cast<WPARAM>(title), FALSE);
    }
    for (int id = IDC_LINK_WEB; id <= IDC_LINK_MORE; ++id) {
        HWND link = GetDlgItem(dialog, id);
        if (link && LinkFont) SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(LinkFont), FALSE);
    }
}
