// The one callback of the main dialog and the About dialog. It tells them
// apart only by which controls exist: every handler looks its controls up
// first and does nothing in the dialog that lacks them.
#include "dialogs_win.h"

#include "check_for_updates.h"
#include "about_texts.h"
#include "control_ids.h"
#include "dialog_ids.h"
#include "main_dialog_controls_win.h"
#include "rules_engine.h"

namespace {

bool Has(HWND dialog, int id) { return GetDlgItem(dialog, id) != nullptr; }

bool IsMainDialog(HWND dialog) { return Has(dialog, IDC_LAMP_COLUMN); }

// The fonts, the link font among them, are made for the dialog's dpi
// before it is initialised (FitDialogToDpi).
void Initialise(HWND dialog) {
    SetHandCursor(dialog, IDC_LINK_WEB);
    EngineState* engine = EngineStateOf(dialog);
    if (IsMainDialog(dialog) && engine) {
        // Hides the result lines and the extra tick box, restores the ticks
        // from the showing's option set and posts the first matching of the
        // initial text.
        WindowControls controls(dialog);
        InitialiseMainDialogControls(*engine, controls);
    }
}

void CheckForUpdatesFrom(HWND dialog) {
    const int32_t result = CheckForUpdates(reinterpret_cast<uintptr_t>(dialog), PROGRAM_NAME, CurrentVersionText());
    if (result == UpdateLaunched) EndModalDialog(dialog, UPDATE_LAUNCHED_END);
}

INT_PTR OnCommand(HWND dialog, int id, int code) {
    // The showing's own engine state. A dialog that is not running has none:
    // IDOK and IDCANCEL still end it, and nothing else is acted on.
    EngineState* engine = EngineStateOf(dialog);
    WindowControls controls(dialog);
    if (id == IDOK || id == IDCANCEL) {
        EndModalDialog(dialog, EndForCommand(id, engine ? engine->OptionSet() : 0));
        return 1;
    }
    if (!engine) return 0;
    if (id == IDC_DIAGRAM_NUMBER) {
        if (code == EN_CHANGE && Has(dialog, IDC_DIAGRAM_NUMBER)) OnDiagramTextChanged(*engine, controls);
    } else if (id >= IDC_LAMP_COLUMN && id <= IDC_CONDITION) {
        if (code == BN_CLICKED && IsMainDialog(dialog)) OnOptionClicked(*engine, controls, id, controls.IsTicked(id));
    } else if (id == IDC_NONE) {
        if (Has(dialog, IDC_NONE)) OnNoneToggled(*engine, controls, controls.IsTicked(IDC_NONE));
    } else if (id == IDC_CHECK_UPDATES) {
        if (Has(dialog, IDC_CHECK_UPDATES)) CheckForUpdatesFrom(dialog);
    }
    return 0;
}

bool IsLinkLabel(HWND dialog, HWND window) {
    return window && GetParent(window) == dialog && IsLinkId(GetDlgCtrlID(window));
}

}  // namespace

INT_PTR CALLBACK DialogCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = 0;
    switch (message) {
        case WM_INITDIALOG:
            Initialise(dialog);
            break;
        case WM_CTLCOLORSTATIC:
            // The result word, and the About dialog's title that shares its id,
            // in the larger bold system font (made for the dialog's dpi) with
            // the default colours.
            if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_RESULT) {
                const DialogDisplay* display = DisplayOf(dialog);
                SelectObject(reinterpret_cast<HDC>(wParam),
                             display ? display->TitleFont() : GetStockObject(SYSTEM_FONT));
            }
            break;
        case WM_COMMAND:
            result = OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
            break;
        default:
            break;
    }

    HWND control = reinterpret_cast<HWND>(lParam);
    if ((message == WM_CTLCOLORSTATIC || message == WM_COMMAND) && IsLinkLabel(dialog, control)) {
        if (message == WM_CTLCOLORSTATIC) {
            // Blue and underlined on whatever the dialog shows behind it.
            HDC dc = reinterpret_cast<HDC>(wParam);
            const DialogDisplay* display = DisplayOf(dialog);
            if (display && display->link) SelectObject(dc, display->link.Get());
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(0, 0, 255));
            return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        }
        OpenLink(dialog, LOWORD(wParam));
        return 0;
    }
    return result;
}
