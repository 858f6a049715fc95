// Texts that cross into the window system and back: 8-bit text widened for
// a window, and a window's text read back, on the stack where they are as
// short as captions and typed numbers are.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// UTF-16 text, zero-terminated, on the stack up to LOCAL_UNITS - 1 units and
// on the heap beyond: an 8-bit text widened (WidenAnsi), or a window's text
// (empty for no window).
class WideText {
public:
    static constexpr int LOCAL_UNITS = 256;

    explicit WideText(std::string_view text);
    explicit WideText(HWND window);
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

// A window's text as 8-bit text; "" for no window.
std::string WindowText8(HWND window);
