#include "main_dialog_controls_win.h"

#include "control_ids.h"
#include "dialogs_win.h"

std::string WindowControls::Text(int id) { return WindowText8(GetDlgItem(dialog, id)); }

void WindowControls::SetText(int id, const std::string& text) {
    if (HWND control = GetDlgItem(dialog, id)) SetWindowTextW(control, Wide(WidenAnsi(text)));
}

bool WindowControls::IsTicked(int id) {
    HWND control = GetDlgItem(dialog, id);
    return control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
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
