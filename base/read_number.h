// Reading numbers from text, the one way the whole program does it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Reads the number at the start of `text`: leading spaces, tabs, CR and LF
// are skipped; "&H" starts a hexadecimal number, "&B" a binary one, "&O"/"&Q"
// an octal one and "&" followed by anything else an octal number at that
// character; otherwise an optional sign, decimal digits with at most one ".",
// and an optional exponent (E, e, D or d). Reading stops at the first
// character that does not fit; no digits at all gives 0.
//
// `used`, when given, receives how many characters of `text` the number
// took, the blanks before it included: 0 when the text holds no number (no
// digit was read), so that a caller can tell "0" from no number at all and
// see what follows the number.
double ReadNumber(std::string_view text, size_t* used = nullptr);

// Rounds to the nearest whole number (halves to the even one) and keeps the
// low 32 bits, as a signed value. Infinities give 0.
int32_t WholeNumberLow32(double value);

// ReadNumber followed by WholeNumberLow32.
inline int32_t ReadWholeNumber(std::string_view text) { return WholeNumberLow32(ReadNumber(text)); }

// The same for a value that must be a number and nothing else, such as an
// option set given to a tool: true when a number fills the whole text but
// for blanks around it. False for text such as "abc", "", "0x1" or "8abc",
// which ReadWholeNumber would quietly read as 0 or as a part of it.
bool ReadWholeNumberExactly(std::string_view text, int32_t& value);
