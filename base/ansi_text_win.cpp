#include "ansi_text_win.h"

#include <climits>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the system's wide characters are UTF-16 units");

namespace {

int ClampedSize(size_t size) { return size < INT_MAX ? static_cast<int>(size) : INT_MAX; }

}  // namespace

int WidenAnsiInto(std::string_view text, wchar_t* units, int capacity) {
    if (capacity <= 0) return -1;
    units[0] = L'\0';
    if (text.empty()) return 0;
    const int length =
        MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), ClampedSize(text.size()), units, capacity - 1);
    if (length <= 0) {
        units[0] = L'\0';
        return -1;
    }
    units[length] = L'\0';
    return length;
}

std::u16string WidenAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int size = ClampedSize(text.size());
    const int length = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::u16string wide(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), size, reinterpret_cast<wchar_t*>(&wide[0]), length);
    return wide;
}

size_t NarrowAnsiInto(const wchar_t* units, int count, char* buffer, size_t capacity) {
    if (count <= 0) return 0;
    const int needed = WideCharToMultiByte(CP_ACP, 0, units, count, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return 0;
    if (static_cast<size_t>(needed) <= capacity) {
        WideCharToMultiByte(CP_ACP, 0, units, count, buffer, needed, nullptr, nullptr);
    }
    return static_cast<size_t>(needed);
}

std::string NarrowAnsi(std::u16string_view text) {
    const wchar_t* units = reinterpret_cast<const wchar_t*>(text.data());
    const int count = ClampedSize(text.size());
    std::string narrow(NarrowAnsiInto(units, count, nullptr, 0), '\0');
    if (!narrow.empty()) NarrowAnsiInto(units, count, &narrow[0], narrow.size());
    return narrow;
}
