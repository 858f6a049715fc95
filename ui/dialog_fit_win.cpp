// A dialog fitted to the dpi of its screen, once it is made and again when
// it moves to a screen of another dpi: its fonts, the places of its
// controls, its size, its pictures and its icons made for that dpi, as
// the dialog manager makes a dialog from its template for one dpi.
#include "dialogs_win.h"

#include <vector>

#include "display_dpi_win.h"

namespace {

// The units that `dialog` converts with at its present font: what the
// dialog manager made of the template, for a dialog without a font of
// the program's.
DialogUnits UnitsOfTheDialog(HWND dialog) {
    RECT units{0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    return DialogUnits{units.right, units.bottom};
}

// The pixels of the layout's client area.
SIZE ClientSize(const DialogLayout& layout, DialogUnits units) {
    const PixelRect r = DialogRectToPixels(0, 0, layout.width, layout.height, units);
    return SIZE{r.right, r.bottom};
}

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

// Sizes the window so that its client area is `client`: its top-left at
// `topLeft`, or without one its middle kept (a window that has that client
// area already stays as it is). The frame is the one the system gives for
// the dpi; should the window's own frame come out otherwise, the size is
// put right by the difference, since the client area is what the layout
// needs.
void SizeWindow(HWND dialog, SIZE client, uint32_t dpi, const POINT* topLeft) {
    RECT window{}, area{};
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &area);
    if (!topLeft && area.right == client.cx && area.bottom == client.cy) return;
    const SIZE size = WindowSizeForClient(dialog, client, dpi);
    POINT at{};
    if (topLeft) {
        at = *topLeft;
    } else {
        at.x = window.left + ((window.right - window.left) - size.cx) / 2;
        at.y = window.top + ((window.bottom - window.top) - size.cy) / 2;
    }
    SetWindowPos(dialog, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(dialog, &area);
    if (area.right != client.cx || area.bottom != client.cy) {
        SetWindowPos(dialog, nullptr, 0, 0, size.cx + client.cx - area.right, size.cy + client.cy - area.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// The program's icon at `size` pixels: LoadImage takes the image of the
// icon group made for that size.
OwnedIcon LoadProgramIcon(int size) {
    return OwnedIcon(static_cast<HICON>(LoadImageW(ProgramInstance(), L"AMAIN", IMAGE_ICON, size, size, 0)));
}

// The title bar shows the small icon, the task switcher the big one: 16
// and 32 pixels at 96 dpi. The icons replaced are freed once the dialog
// has the new ones.
void SetIcons(HWND dialog, DialogDisplay& display, uint32_t dpi) {
    if (OwnedIcon big = LoadProgramIcon(SystemMetricForDpi(SM_CXICON, dpi))) {
        SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.Get()));
        display.bigIcon = std::move(big);
    }
    if (OwnedIcon small = LoadProgramIcon(SystemMetricForDpi(SM_CXSMICON, dpi))) {
        SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.Get()));
        display.smallIcon = std::move(small);
    }
}

}  // namespace

SIZE DialogWindowSizeAt(HWND dialog, uint32_t dpi, const LayoutForDpi& layout) {
    const OwnedFont font = MakeTextFont(dpi);
    const DialogUnits units = font ? DialogUnitsOf(font.Get()) : UnitsOfTheDialog(dialog);
    return WindowSizeForClient(dialog, ClientSize(layout(units, dpi), units), dpi);
}

void FitDialogToDpi(HWND dialog, DialogDisplay& display, uint32_t dpi, const LayoutForDpi& layout,
                    const POINT* topLeft) {
    // The default dialog font first: it sets the dialog units. A font that
    // cannot be made leaves the controls with the one they have.
    if (OwnedFont made = MakeTextFont(dpi)) {
        for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(made.Get()), FALSE);
        }
        display.text = std::move(made);
    }
    const DialogUnits units = display.text ? DialogUnitsOf(display.text.Get()) : UnitsOfTheDialog(dialog);
    const DialogLayout laidOut = layout(units, dpi);
    SizeWindow(dialog, ClientSize(laidOut, units), dpi, topLeft);
    PlaceControls(dialog, laidOut, units);
    // After the places: the title font fits the height of its label, and
    // the name artwork's label takes its picture's size.
    GiveLabelsTheirFonts(dialog, display, dpi);
    PutAboutArtwork(dialog, display, dpi);
    SetIcons(dialog, display, dpi);
    display.dpi = dpi;
    if (IsWindowVisible(dialog)) RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
