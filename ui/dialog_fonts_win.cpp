// The fonts that a dialog draws its texts in, made for its dpi: the
// default dialog font, for the dialog and every control; the bold title
// font of the result word and the About title; and the link font
// (links_win.cpp) for the link labels.
#include "dialogs_win.h"

#include "control_ids.h"
#include "dialog_font.h"
#include "dialog_ids.h"
#include "display_dpi_win.h"

namespace {

HFONT StockSystemFont() { return static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

// What the font mapper made of a request: whether it is TrueType, its
// face and its cell height.
struct MadeFont {
    bool trueType = false;
    char face[LF_FACESIZE] = {};
    int32_t cellHeight = 0;
};

MadeFont Inspect(HFONT font) {
    MadeFont made;
    const ScreenDc screen;
    if (!screen.Get()) return made;
    HGDIOBJ previous = SelectObject(screen.Get(), font);
    TEXTMETRICA metrics{};
    if (GetTextMetricsA(screen.Get(), &metrics)) {
        made.trueType = (metrics.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
        made.cellHeight = metrics.tmHeight;
        GetTextFaceA(screen.Get(), LF_FACESIZE, made.face);
    }
    SelectObject(screen.Get(), previous);
    return made;
}

// `face` in bold TrueType with cells `height` pixels high; none where the
// system has no TrueType face of that name (the mapper then offers
// another face, or a raster one). An empty face takes whichever TrueType
// face the mapper picks.
OwnedFont MakeBoldTrueType(const char* face, int32_t height, int32_t* cellHeight) {
    LOGFONTA description{};
    description.lfHeight = height;  // positive: the cell's height, as the system font's is given
    description.lfWeight = FW_BOLD;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfOutPrecision = face[0] ? OUT_TT_PRECIS : OUT_TT_ONLY_PRECIS;
    description.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynA(description.lfFaceName, face, LF_FACESIZE);
    OwnedFont font(CreateFontIndirectA(&description));
    if (!font) return font;
    const MadeFont made = Inspect(font.Get());
    if (!made.trueType || (face[0] && lstrcmpiA(made.face, face) != 0)) return OwnedFont();
    *cellHeight = made.cellHeight;
    return font;
}

// The title font for a screen of `dpi` that fits a label `labelHeight`
// pixels high: the first face of TITLE_FONT_FACES that the system has, or
// else any TrueType face. The mapper may round a cell height up by a
// pixel, so a font that comes out taller than its height is made again a
// pixel smaller, a few times at most.
OwnedFont MakeTitleFont(uint32_t dpi, int32_t labelHeight) {
    const int32_t height = TitleFontHeightFor(dpi, labelHeight);
    const char* const faces[] = {TITLE_FONT_FACES[0], TITLE_FONT_FACES[1], ""};
    for (const char* face : faces) {
        OwnedFont font;
        for (int32_t asked = height, tries = 0; asked > 0 && tries < 4; --asked, ++tries) {
            int32_t cellHeight = 0;
            font = MakeBoldTrueType(face, asked, &cellHeight);
            if (!font || cellHeight <= height) break;
        }
        if (font) return font;
    }
    return OwnedFont();
}

// Gives the label `id` the font `font`, where the dialog has the label.
void GiveFont(HWND dialog, int id, HFONT font) {
    if (HWND label = GetDlgItem(dialog, id)) SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace

HFONT DialogDisplay::TitleFont() const { return title ? title.Get() : StockSystemFont(); }

// The template's font block names only the face and size, and the window
// system chooses the weight and character set of the font it makes from it
// (Wine: weight 0 and DEFAULT_CHARSET; from an extended template still
// DEFAULT_CHARSET); this one is exactly the default dialog font.
OwnedFont MakeTextFont(uint32_t dpi) {
    const DialogFont& want = DefaultDialogFont;
    if (!want.face || !want.face[0]) return OwnedFont();
    LOGFONTA description{};
    description.lfHeight = DialogFontHeight(want, static_cast<int32_t>(dpi));
    description.lfWeight = want.weight;
    description.lfItalic = want.italic ? TRUE : FALSE;
    description.lfCharSet = want.charset;
    lstrcpynA(description.lfFaceName, want.face, LF_FACESIZE);
    return OwnedFont(CreateFontIndirectA(&description));
}

// The fonts that WM_CTLCOLORSTATIC selects, given to the labels themselves
// as well: Wine draws a label in its own font whatever that message
// selects. Each is made anew for a new dpi or a title label of another
// height; one that cannot be made leaves the display with the one it has.
void GiveLabelsTheirFonts(HWND dialog, DialogDisplay& display, uint32_t dpi) {
    if (HWND result = GetDlgItem(dialog, IDC_RESULT)) {
        RECT area{};
        GetClientRect(result, &area);
        const int32_t labelHeight = area.bottom - area.top;
        if (TitleUsesStockFont(dpi, SystemDpi())) {
            GiveFont(dialog, IDC_RESULT, StockSystemFont());
            display.title.Reset();
        } else {
            if (!display.title || display.dpi != dpi || display.titleLabelHeight != labelHeight) {
                if (OwnedFont made = MakeTitleFont(dpi, labelHeight)) {
                    GiveFont(dialog, IDC_RESULT, made.Get());
                    display.title = std::move(made);
                    display.titleLabelHeight = labelHeight;
                }
            }
            GiveFont(dialog, IDC_RESULT, display.TitleFont());
        }
    }
    bool hasLinks = false;
    for (int id = IDC_LINK_WEB; id <= IDC_LINK_MORE; ++id) hasLinks = hasLinks || GetDlgItem(dialog, id) != nullptr;
    if (!hasLinks) return;
    if (!display.link || display.dpi != dpi) {
        if (OwnedFont made = MakeLinkFont(dpi)) {
            for (int id = IDC_LINK_WEB; id <= IDC_LINK_MORE; ++id) GiveFont(dialog, id, made.Get());
            display.link = std::move(made);
        }
    }
    if (!display.link) return;
    for (int id = IDC_LINK_WEB; id <= IDC_LINK_MORE; ++id) GiveFont(dialog, id, display.link.Get());
}
