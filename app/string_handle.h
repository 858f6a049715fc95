// The text that another program hands to the exported BRANTLE.
#pragma once

#include <string>

// `reference` is the address of a string handle: a pointer to 8-bit
// characters whose byte length stands in the 32 bits just before them
// (little-endian). A null handle, or no address at all, is the empty text.
// Every byte counts, zero bytes included.
std::string TextOfStringHandle(const char* const* reference);
