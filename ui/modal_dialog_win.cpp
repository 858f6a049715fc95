// Creating a dialog from a template and running it modally. The dialog's
// own initialisation is called once the dialog is complete, not from inside
// CreateDialogIndirectParamW, and the run ends only when the window is gone.
#include "dialogs_win.h"

#include "dialog_template.h"
#include "display_dpi_win.h"
#include "win32_styles.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

HINSTANCE KeptInstance = nullptr;

// What RunModalDialog keeps for a running dialog, found through DWLP_USER.
struct ModalState {
    HWND owner = nullptr;
    bool ended = false;
    DialogEnd end = SYSTEM_CLOSE_END;
    const LayoutForDpi* layout = nullptr;
    EngineState* engine = nullptr;  // the showing's own
};

ModalState* StateOf(HWND dialog) { return reinterpret_cast<ModalState*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

// A number given as the owner that is no window is not passed to the window
// system, which would refuse to create the dialog for it.
HWND OwnerWindowOf(uintptr_t owner) {
    HWND window = reinterpret_cast<HWND>(owner);
    return window && IsWindow(window) ? window : nullptr;
}

// The program's icon at a size, loaded once and kept until the process
// ends: every showing uses it. LoadImage takes the image of the icon group
// made for that size.
HICON ProgramIcon(int size) {
    struct Kept {
        int size;
        HICON icon;
    };
    static Kept kept[8] = {};
    for (Kept& entry : kept) {
        if (entry.icon && entry.size == size) return entry.icon;
        if (!entry.icon) {
            entry.size = size;
            entry.icon = static_cast<HICON>(LoadImageW(ProgramInstance(), L"AMAIN", IMAGE_ICON, size, size, 0));
            return entry.icon;
        }
    }
    // Eight sizes are more than the screens of one run ask for; beyond
    // them the last one kept serves.
    return kept[7].icon;
}

INT_PTR CALLBACK ModalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    // The system's own WM_INITDIALOG comes before the dialog is complete;
    // RunModalDialog initialises it instead. FALSE: no focus is set here.
    if (message == WM_INITDIALOG) return FALSE;
    // The dialog's own font is the one its controls have, not the system's
    // reading of the template.
    if (message == WM_GETFONT) {
        HFONT font = DialogTextFont();
        if (!font) return FALSE;
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(font));
        return TRUE;
    }
    // Moved to a screen of another dpi (or the screen's dpi changed): the
    // dialog is made anew for it. The suggested rectangle comes with the
    // message; its result is 0.
    if (message == WM_DPICHANGED) {
        const ModalState* state = StateOf(dialog);
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        const uint32_t dpi = HIWORD(wParam);
        if (state && state->layout && suggested && dpi > 0) ApplyNewDpi(dialog, dpi, *suggested, *state->layout);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    // The window can go while a message sent from another thread or process
    // is handled (a sent BM_CLICK on "Close"): GetMessageW handles such a
    // message without returning, so a posted message wakes the loop up to
    // see that the dialog has gone.
    if (message == WM_NCDESTROY) PostMessageW(nullptr, WM_NULL, 0, 0);
    // Nothing may unwind through the window system's frames: a message whose
    // handling ran out of memory is left to the default handling.
    try {
        if (INT_PTR handled = DialogCallback(dialog, message, wParam, lParam)) return handled;
    } catch (...) {
        return FALSE;
    }
    // A close through the system that the callback leaves alone ends the
    // dialog with 0. WM_CLOSE is taken too, since the default dialog
    // handling would turn it into IDCANCEL.
    if ((message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) || message == WM_CLOSE) {
        EndModalDialog(dialog, SYSTEM_CLOSE_END);
        return TRUE;
    }
    return FALSE;
}

// The values the layouts use are the window system's.
static_assert(W32_WS_POPUP == WS_POPUP && W32_WS_CHILD == WS_CHILD && W32_WS_VISIBLE == WS_VISIBLE &&
              W32_WS_CAPTION == WS_CAPTION && W32_WS_SYSMENU == WS_SYSMENU && W32_WS_GROUP == WS_GROUP &&
              W32_WS_TABSTOP == WS_TABSTOP && W32_WS_EX_CLIENTEDGE == WS_EX_CLIENTEDGE);
static_assert(W32_DS_3DLOOK == DS_3DLOOK && W32_DS_NOFAILCREATE == DS_NOFAILCREATE && W32_DS_SETFONT == DS_SETFONT &&
              W32_DS_MODALFRAME == DS_MODALFRAME && W32_DS_SETFOREGROUND == DS_SETFOREGROUND &&
              W32_DS_CENTER == DS_CENTER);
static_assert(W32_SS_LEFT == SS_LEFT && W32_SS_CENTER == SS_CENTER && W32_SS_BITMAP == SS_BITMAP &&
              W32_SS_NOPREFIX == SS_NOPREFIX && W32_SS_NOTIFY == SS_NOTIFY && W32_SS_CENTERIMAGE == SS_CENTERIMAGE &&
              W32_ES_AUTOHSCROLL == ES_AUTOHSCROLL);
static_assert(W32_BS_PUSHBUTTON == BS_PUSHBUTTON && W32_BS_DEFPUSHBUTTON == BS_DEFPUSHBUTTON &&
              W32_BS_AUTOCHECKBOX == BS_AUTOCHECKBOX && W32_BS_AUTORADIOBUTTON == BS_AUTORADIOBUTTON);
static_assert(W32_IDOK == IDOK && W32_IDCANCEL == IDCANCEL);

}  // namespace

void KeepProgramInstance(HINSTANCE instance) { KeptInstance = instance; }

HINSTANCE ProgramInstance() { return KeptInstance ? KeptInstance : reinterpret_cast<HINSTANCE>(&__ImageBase); }

HWND CreateHiddenDialog(const std::vector<uint16_t>& dialogTemplate, uintptr_t owner) {
    HWND dialog =
        CreateDialogIndirectParamW(ProgramInstance(), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                                   OwnerWindowOf(owner), ModalDialogProc, 0);
    if (!dialog) return nullptr;
    const uint32_t dpi = WindowDpi(dialog);
    LeaveDpiChangesToTheProgram(dialog);
    GiveControlsTheDialogFont(dialog, dpi);
    SetDialogIcons(dialog, dpi);
    return dialog;
}

void SetDialogIcons(HWND dialog, uint32_t dpi) {
    // The title bar shows the small icon, the task switcher the big one:
    // 16 and 32 pixels at 96 dpi.
    if (HICON big = ProgramIcon(SystemMetricForDpi(SM_CXICON, dpi))) {
        SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    }
    if (HICON small = ProgramIcon(SystemMetricForDpi(SM_CXSMICON, dpi))) {
        SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
}

DialogEnd RunModalDialog(HWND dialog, uintptr_t ownerValue, const LayoutForDpi& layout, EngineState& engine) {
    if (!dialog) return SYSTEM_CLOSE_END;
    ModalState state;
    state.owner = OwnerWindowOf(ownerValue);
    state.layout = &layout;
    state.engine = &engine;
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));

    SetForegroundWindow(dialog);
    DialogCallback(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(dialog), 0);
    if (state.owner) EnableWindow(state.owner, FALSE);
    ShowWindow(dialog, SW_SHOW);

    MSG message;
    while (!state.ended && IsWindow(dialog)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // Leave the quit request for whoever runs the outer loop.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (!state.ended) {
        // Destroyed from outside, or the loop was told to quit.
        if (IsWindow(dialog)) {
            EndModalDialog(dialog, SYSTEM_CLOSE_END);
        } else if (state.owner) {
            EnableWindow(state.owner, TRUE);
        }
    }
    if (state.owner) SetFocus(state.owner);
    return state.end;
}

EngineState* EngineStateOf(HWND dialog) {
    const ModalState* state = StateOf(dialog);
    return state ? state->engine : nullptr;
}

void EndModalDialog(HWND dialog, DialogEnd end) {
    if (ModalState* state = StateOf(dialog)) {
        if (state->ended) return;
        state->ended = true;
        state->end = end;
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        // Before the window goes, so that the owner is the one activated.
        if (state->owner) EnableWindow(state->owner, TRUE);
    }
    DestroyWindow(dialog);
}
