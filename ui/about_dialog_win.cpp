// The About dialog: its banner sized by the dialog's own unit conversion
// and dpi, built from its layout for the mode, its artwork put in for its
// dpi, and run modally.
#include "dialogs_win.h"

#include "dialog_ids.h"
#include "dialog_template.h"
#include "display_dpi_win.h"
#include "win32_styles.h"

namespace {

INT_PTR CALLBACK MeasuringProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The banner's size in dialog units, from what this dialog's frame and font
// make of 1024 x 1024 units at the dpi of the screen it comes up on,
// measured on an empty copy of the dialog.
BannerSize MeasureBanner() {
    DialogLayout frame = AboutDialogFrame();
    frame.style &= ~(W32_DS_SETFOREGROUND | W32_DS_CENTER);
    const std::vector<uint16_t> frameTemplate = BuildDialogTemplate(frame, DefaultDialogFont, WidenAnsi);
    HWND probe = CreateDialogIndirectParamW(ProgramInstance(), reinterpret_cast<LPCDLGTEMPLATEW>(frameTemplate.data()),
                                            nullptr, MeasuringProc, 0);
    RECT units{0, 0, 1024, 1024};
    if (!probe || !MapDialogRect(probe, &units)) units = RECT{0, 0, 0, 0};
    const uint32_t dpi = WindowDpi(probe);
    if (probe) DestroyWindow(probe);
    return AboutBannerSize(units.right - units.left, units.bottom - units.top, dpi);
}

}  // namespace

int32_t ShowAboutDialog(uintptr_t owner, int32_t mode, int32_t optionSet, DialogEnding* ending) {
    const BannerSize banner = MeasureBanner();
    const std::vector<uint16_t> dialogTemplate =
        BuildDialogTemplate(AboutDialogLayout(mode, banner), DefaultDialogFont, WidenAnsi);
    HWND dialog = CreateHiddenDialog(dialogTemplate, owner);
    // Each picture goes into its label now that the labels exist.
    if (dialog) PutAboutArtwork(dialog, WindowDpi(dialog));
    const LayoutForDpi layout = [mode](DialogUnits units, uint32_t dpi) {
        return AboutDialogLayout(mode, AboutBannerSize(PixelsPer1024UnitsX(units), PixelsPer1024UnitsY(units), dpi));
    };
    // Its "OK" ends it with 1 + the caller's option set, which is all that
    // it reads of an engine state.
    EngineState engine(TheRuleTable(), optionSet);
    const DialogEnd end = RunModalDialog(dialog, owner, layout, engine);
    // The pictures are shown for one showing and freed once it is over.
    ReleaseAboutArtwork();
    if (ending) *ending = end.how;
    return end.value;
}
