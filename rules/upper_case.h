// Upper-casing 8-bit text by the system's ANSI case mapping.
#pragma once

#include <cstddef>

// Upper-cases `size` bytes in place. On Windows this is the system's own
// mapping for the ANSI code page; the native build maps by Windows-1252, the
// code page the tool is used with.
void UpperCase8(char* text, size_t size);

// The same mapping as a table of 256 bytes, for upper-casing byte by byte in
// one pass; nullptr where the ANSI code page has characters of more than one
// byte, whose bytes cannot be mapped one at a time (then UpperCase8 must see
// the whole text).
const unsigned char* UpperCaseTable();
