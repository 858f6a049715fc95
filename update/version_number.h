// Version numbers of the update check, and their comparison.
#pragma once

#include <cstdint>
#include <string_view>

// The value of a version text a.b.c.d: each of the first four "."-separated
// parts is read as a list decimal and added in, the running value taken to
// the nearest whole number modulo 2^32 and shifted left by 8 bits between
// parts. Missing parts count as 0; a part of 256 or more carries into the
// part before it; a fifth part and everything after it is ignored. A part
// beyond the floating-point range (hundreds of digits) makes the running
// value 0.
uint32_t VersionNumber(std::string_view version);

// Whether `offered` is strictly newer than `current`.
bool IsNewerVersion(std::string_view offered, std::string_view current);
