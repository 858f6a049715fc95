// A window's text as 8-bit text.
#include "dialogs_win.h"

std::string WindowText8(HWND window) {
    if (!window) return {};
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::u16string wide(static_cast<size_t>(length) + 1, u'\0');
    const int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(&wide[0]), length + 1);
    wide.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return NarrowAnsi(wide);
}
