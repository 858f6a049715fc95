#include "main_dialog_controls_win.h"

#include <cstring>
#include <string>

#include "control_ids.h"
#include "dialogs_win.h"
#include "window_text_win.h"

size_t WindowControls::Text(int id, char* buffer, size_t capacity) {
    const WideText wide(GetDlgItem(dialog, id));
    return NarrowAnsiInto(wide.Units(), wide.Length(), buffer, capacity);
}

bool WindowControls::HasText(int id, std::string_view text) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return false;
    const WideText wanted(text);
    const WideText shown(control);
    return shown.Length() == wanted.Length() &&
           std::memcmp(shown.Units(), wanted.Units(), static_cast<size_t>(wanted.Length()) * sizeof(wchar_t)) == 0;
}

bool WindowControls::IsTicked(int id) {
    HWND control = GetDlgItem(dialog, id);
    return control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool WindowControls::IsEnabled(int id) {
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

bool WindowControls::IsShown(int id) {
    // The control's own style: IsWindowVisible would also ask its parents,
    // and the dialog is still hidden while it is initialised.
    HWND control = GetDlgItem(dialog, id);
    return control && (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void WindowControls::SetText(int id, std::string_view text) {
    if (HWND control = GetDlgItem(dialog, id)) SetWindowTextW(control, WideText(text).Units());
}

void WindowControls::SetTicked(int id, bool ticked) {
    if (HWND control = GetDlgItem(dialog, id)) {
        SendMessageW(control, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void WindowControls::SetEnabled(int id, bool enabled) {
    if (HWND control = GetDlgItem(dialog, id)) EnableWindow(control, enabled ? TRUE : FALSE);
}

void WindowControls::SetShown(int id, bool shown) {
    if (HWND control = GetDlgItem(dialog, id)) ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
}

void WindowControls::PostDiagramTextChanged() {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DIAGRAM_NUMBER, EN_CHANGE), 0);
}
