// The About dialog's link labels: their font, the hand cursor, and opening
// what a click on one names.
#include "dialogs_win.h"

#include "display_dpi_win.h"
#include "link_target.h"
#include "shell_open_win.h"
#include "window_text_win.h"

OwnedFont MakeLinkFont(uint32_t dpi) {
    LOGFONTA font{};
    static_assert(sizeof(LOGFONTA) == 60, "the 60-byte LOGFONTA");
    if (!GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font)) return OwnedFont();
    font.lfUnderline = TRUE;
    // The stock font is made for the system's dpi; the link font is made
    // for the dialog's.
    font.lfHeight = StockFontHeightFor(font.lfHeight, dpi, SystemDpi());
    return OwnedFont(CreateFontIndirectA(&font));
}

void SetHandCursor(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return;
    // The class cursor: every label of the class shows it, but only labels
    // that take the mouse (SS_NOTIFY) ever show their own cursor.
    SetClassLongPtrA(control, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorA(nullptr, IDC_HAND)));
}

void OpenLink(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return;
    const std::string target = LinkTarget(id, WindowText8(control));
    // A link the shell cannot open shows nothing and changes nothing.
    ShellOpen(target.c_str());
}
