// The About dialog: its artwork loaded, its banner sized by the dialog's own
// unit conversion, built from its layout for the mode and run modally.
#include "dialogs_win.h"

#include "dialog_ids.h"
#include "dialog_template.h"
#include "display_scale.h"
#include "win32_styles.h"

namespace {

// A bitmap for one showing, released when the showing is over.
struct OwnedBitmap {
    explicit OwnedBitmap(HBITMAP bitmap) : handle(bitmap) {}
    ~OwnedBitmap() {
        if (handle) DeleteObject(handle);
    }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    HBITMAP handle;
};

// At its own size; the greys of the colour table, the 192,192,192
// background among them, become the system's 3-D colours.
HBITMAP LoadArtwork(const char* name) {
    return static_cast<HBITMAP>(LoadImageA(ProgramInstance(), name, IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
}

INT_PTR CALLBACK MeasuringProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The banner's size in dialog units, from what this dialog's frame and font
// make of 1024 x 1024 units, measured on an empty copy of the dialog.
BannerSize MeasureBanner() {
    DialogLayout frame = AboutDialogFrame();
    frame.style &= ~(W32_DS_SETFOREGROUND | W32_DS_CENTER);
    const std::vector<uint16_t> frameTemplate = BuildDialogTemplate(frame, DefaultDialogFont, WidenAnsi);
    HWND probe = CreateDialogIndirectParamW(ProgramInstance(), reinterpret_cast<LPCDLGTEMPLATEW>(frameTemplate.data()),
                                            nullptr, MeasuringProc, 0);
    RECT units{0, 0, 1024, 1024};
    if (!probe || !MapDialogRect(probe, &units)) units = RECT{0, 0, 0, 0};
    if (probe) DestroyWindow(probe);
    return AboutBannerSize(units.right - units.left, units.bottom - units.top, BASE_DPI);
}

void SetPicture(HWND dialog, int id, HBITMAP bitmap) {
    // A bitmap that could not be loaded leaves its label empty.
    if (bitmap) SendDlgItemMessageW(dialog, id, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

}  // namespace

int32_t ShowAboutDialog(uintptr_t owner, int32_t mode, DialogEnding* ending) {
    const OwnedBitmap productArt(LoadArtwork("QVTEXT"));
    const OwnedBitmap bulbArt(LoadArtwork("LBULB"));
    const OwnedBitmap logoArt(LoadArtwork("KXLOGO"));
    const BannerSize banner = MeasureBanner();

    const std::vector<uint16_t> dialogTemplate =
        BuildDialogTemplate(AboutDialogLayout(mode, banner), DefaultDialogFont, WidenAnsi);
    HWND dialog = CreateHiddenDialog(dialogTemplate, owner);
    if (dialog) {
        SetPicture(dialog, IDC_PRODUCT_ART, productArt.handle);
        SetPicture(dialog, IDC_BULB_ART, bulbArt.handle);
        SetPicture(dialog, IDC_LOGO_ART, logoArt.handle);
    }
    const DialogEnd end = RunModalDialog(dialog, owner);
    if (ending) *ending = end.how;
    return end.value;
}
