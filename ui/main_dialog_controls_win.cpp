#include "main_dialog_controls_win.h"

#include <cstring>
#include <string>

#include "control_ids.h"
#include "dialogs_win.h"

namespace {

constexpr int LOCAL_UNITS = 256;

// UTF-16 text, zero-terminated, on the stack up to LOCAL_UNITS - 1 units and
// on the heap beyond: an 8-bit text widened (ANSI code page, precomposed),
// or a window's text (empty for no window).
class WideText {
public:
    explicit WideText(std::string_view text) {
        length_ = WidenAnsiInto(text, local_, LOCAL_UNITS);
        if (length_ < 0) {
            heap_ = WidenAnsi(text);
            units_ = reinterpret_cast<wchar_t*>(&heap_[0]);
            length_ = static_cast<int>(heap_.size());
            units_[length_] = L'\0';
        }
    }
    explicit WideText(HWND window) {
        local_[0] = L'\0';
        const int length = window ? GetWindowTextLengthW(window) : 0;
        if (length <= 0) return;
        if (length >= LOCAL_UNITS) {
            heap_.assign(static_cast<size_t>(length) + 1, u'\0');
            units_ = reinterpret_cast<wchar_t*>(&heap_[0]);
        }
        const int copied = GetWindowTextW(window, units_, length + 1);
        length_ = copied > 0 ? copied : 0;
        units_[length_] = L'\0';
    }
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    const wchar_t* Units() const { return units_; }
    int Length() const { return length_; }

private:
    wchar_t local_[LOCAL_UNITS];
    std::u16string heap_;
    wchar_t* units_ = local_;
    int length_ = 0;
};

}  // namespace

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
