// A dialog moved to a screen of another dpi: it takes the rectangle that
// the system suggests, and its fonts, pictures, icons and the places of its
// controls are made anew for the new dpi, as the dialog manager made them
// for the dpi it was created at.
#include "dialogs_win.h"

#include <vector>

#include "display_dpi_win.h"

namespace {

// Each control, in creation order, at its rectangle of the layout
// converted with `units`. A dialog whose controls are not the layout's,
// one for one, is left as it is.
void PlaceControls(HWND dialog, const DialogLayout& layout, DialogUnits units) {
    std::vector<HWND> controls;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        controls.push_back(control);
    }
    if (controls.size() != layout.controls.size()) return;
    for (size_t i = 0; i < controls.size(); ++i) {
        // A template holds an id as 16 bits, so -1 comes back as 65535.
        if (static_cast<uint16_t>(GetDlgCtrlID(controls[i])) != static_cast<uint16_t>(layout.controls[i].id)) return;
    }
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlLayout& c = layout.controls[i];
        const PixelRect r = DialogRectToPixels(c.x, c.y, c.width, c.height, units);
        SetWindowPos(controls[i], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace

void ApplyNewDpi(HWND dialog, uint32_t dpi, const RECT& suggested, const LayoutForDpi& layout) {
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The default dialog font first: it sets the dialog units. The title
    // font after the places: it fits the height of its label.
    GiveControlsTheDialogFont(dialog, dpi);
    const DialogUnits units = DialogUnitsOf(DialogTextFont());
    PlaceControls(dialog, layout(units, dpi), units);
    MakeLinkFont(dpi);
    GiveLabelsTheirFonts(dialog, dpi);
    // After the places: the name artwork's label takes its picture's size.
    PutAboutArtwork(dialog, dpi);
    SetDialogIcons(dialog, dpi);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
