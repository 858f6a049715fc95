// Reading numbers from text, the one way the whole program does it.
#pragma once

#include <cstdint>
#include <string_view>

// Reads the number at the start of `text`: leading spaces, tabs, CR and LF
// are skipped; "&H" starts a hexadecimal number, "&B" a binary one, "&O"/"&Q"
// an octal one and "&" followed by anything else an octal number at that
// character; otherwise an optional sign, decimal digits with at most one ".",
// and an optional exponent (E, e, D or d). Reading stops at the first
// character that does not fit; no digits at all gives 0.
double ReadNumber(std::string_view text);

// Rounds to the nearest whole number (halves to the even one) and keeps the
// low 32 bits, as a signed value. Infinities give 0.
int32_t WholeNumberLow32(double value);

// ReadNumber followed by WholeNumberLow32.
inline int32_t ReadWholeNumber(std::string_view text) { return WholeNumberLow32(ReadNumber(text)); }
