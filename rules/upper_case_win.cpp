// Upper-casing by the system's mapping for the ANSI code page.
#include "upper_case.h"

#include <windows.h>

void UpperCase8(std::string& text) {
    if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
}
