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
// The display outlives the window: RunModalDialog returns once the window
// has gone.
struct ModalState {
    HWND owner = nullptr;
    bool ended = false;
    DialogEnd end = SYSTEM_CLOSE_END;
    const LayoutForDpi* layout = nullptr;
    EngineState* engine = nullptr;  // the showing's own
    DialogDisplay display;
};

ModalState* StateOf(HWND dialog) { return reinterpret_cast<ModalState*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

// A number given as the owner that is no window is not passed to the window
// system, which would refuse to create the dialog for it.
HWND OwnerWindowOf(uintptr_t owner) {
    HWND window = reinterpret_cast<HWND>(owner);
    return window && IsWindow(window) ? window : nullptr;
}

// The messages of a change of the dialog's dpi, once RunModalDialog has
// fitted it to its first dpi; earlier ones, during its creation, go to the
// default handling. Returns whether the message was handled.
bool OnDpiMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ModalState* state = StateOf(dialog);
    const uint32_t dpi = LOWORD(wParam);
    if (!state || !state->layout || state->display.dpi == 0 || dpi == 0 || !lParam) return false;
    if (message == WM_GETDPISCALEDSIZE) {
        // Asked before a move to a screen of `dpi`: the size the layout will
        // take there, which the system then suggests with WM_DPICHANGED.
        // Dialog units do not grow in proportion to the dpi, since they
        // come from a font's rounded metrics.
        *reinterpret_cast<SIZE*>(lParam) = DialogWindowSizeAt(dialog, dpi, *state->layout);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return true;
    }
    // Moved to a screen of another dpi (or the screen's dpi changed): the
    // dialog is fitted to it where the system suggests, its size the
    // layout's whatever size the suggestion has. The result is 0.
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    const POINT topLeft{suggested->left, suggested->top};
    FitDialogToDpi(dialog, state->display, dpi, *state->layout, &topLeft);
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
    return true;
}

INT_PTR CALLBACK ModalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    // The system's own WM_INITDIALOG comes before the dialog is complete;
    // RunModalDialog initialises it instead. FALSE: no focus is set here.
    if (message == WM_INITDIALOG) return FALSE;
    // The dialog's own font is the one its controls have, not the system's
    // reading of the template.
    if (message == WM_GETFONT) {
        const DialogDisplay* display = DisplayOf(dialog);
        if (!display || !display->text) return FALSE;
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(display->text.Get()));
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
        if ((message == WM_GETDPISCALEDSIZE || message == WM_DPICHANGED) &&
            OnDpiMessage(dialog, message, wParam, lParam)) {
            return TRUE;
        }
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
              W32_SS_TYPEMASK == SS_TYPEMASK && W32_ES_AUTOHSCROLL == ES_AUTOHSCROLL);
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
    if (dialog) LeaveDpiChangesToTheProgram(dialog);
    return dialog;
}

const DialogDisplay* DisplayOf(HWND dialog) {
    const ModalState* state = StateOf(dialog);
    return state ? &state->display : nullptr;
}

DialogEnd RunModalDialog(HWND dialog, uintptr_t ownerValue, const LayoutForDpi& layout, EngineState& engine) {
    if (!dialog) return SYSTEM_CLOSE_END;
    ModalState state;
    state.owner = OwnerWindowOf(ownerValue);
    state.layout = &layout;
    state.engine = &engine;
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    // Laid out for the screen it has come up on before it is first shown:
    // the dialog manager may have made it for another dpi, or (Windows
    // 8.1) for the system's. Out of memory, it stays as the dialog manager
    // made it.
    try {
        FitDialogToDpi(dialog, state.display, WindowDpi(dialog), layout, nullptr);
    } catch (...) {
    }

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
