// Converting 8-bit text at the window boundary, with the ANSI code page.
#include "dialogs_win.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the system's wide characters are UTF-16 units");

std::u16string WidenAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::u16string wide(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), size, reinterpret_cast<wchar_t*>(&wide[0]), length);
    return wide;
}

std::string NarrowAnsi(std::u16string_view text) {
    if (text.empty()) return {};
    const wchar_t* units = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, units, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, units, size, &narrow[0], length, nullptr, nullptr);
    return narrow;
}

std::string WindowText8(HWND window) {
    if (!window) return {};
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::u16string wide(static_cast<size_t>(length) + 1, u'\0');
    const int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(&wide[0]), length + 1);
    wide.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return NarrowAnsi(wide);
}
