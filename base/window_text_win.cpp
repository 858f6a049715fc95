#include "window_text_win.h"

#include "ansi_text_win.h"

WideText::WideText(std::string_view text) {
    length_ = WidenAnsiInto(text, local_, LOCAL_UNITS);
    if (length_ < 0) {
        heap_ = WidenAnsi(text);
        units_ = reinterpret_cast<wchar_t*>(&heap_[0]);
        length_ = static_cast<int>(heap_.size());
        units_[length_] = L'\0';
    }
}

WideText::WideText(HWND window) {
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

std::string WindowText8(HWND window) {
    const WideText wide(window);
    return NarrowAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(wide.Units()), wide.Length()));
}
