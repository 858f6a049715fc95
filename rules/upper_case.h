// Upper-casing 8-bit text by the system's ANSI case mapping.
#pragma once

#include <string>

// On Windows this is the system's own mapping for the ANSI code page; the
// native build maps by Windows-1252, the code page the tool is used with.
void UpperCase8(std::string& text);
