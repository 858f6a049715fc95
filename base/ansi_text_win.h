// 8-bit text in the system's ANSI code page and the UTF-16 of the window
// system: the one place where the program converts between the two.
//
// UTF-16 is held as char16_t text (the same 16-bit units as the system's
// wchar_t) and handed to the W functions through Wide().
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

// Widens `text` (ANSI code page, precomposed characters) into `units`, which
// has room for `capacity` units, and ends it with a zero unit. Returns the
// number of units before the zero, or -1 when they do not fit or the text
// cannot be converted (then `units` holds an empty text).
int WidenAnsiInto(std::string_view text, wchar_t* units, int capacity);

// The same, into a text of its own; empty when the text cannot be converted.
std::u16string WidenAnsi(std::string_view text);

// Narrows `count` units to the ANSI code page. Returns the number of bytes
// that the text needs and writes them into `buffer` only when they fit its
// `capacity`; 0 when there is nothing to convert or it cannot be converted.
size_t NarrowAnsiInto(const wchar_t* units, int count, char* buffer, size_t capacity);

// The same, into a text of its own.
std::string NarrowAnsi(std::u16string_view text);

inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
