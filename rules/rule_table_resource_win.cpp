// The rule table as the program's RCDATA resource "BRANTLE".
#include "rule_table.h"

#include <windows.h>

// This module's own base address: the table is found in brantle.exe also
// when another program has loaded it to call its export.
extern "C" IMAGE_DOS_HEADER __ImageBase;

std::string_view RuleTableText() {
    HMODULE self = reinterpret_cast<HMODULE>(&__ImageBase);
    HRSRC found = FindResourceA(self, "BRANTLE", MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(self, found);
    if (!loaded) return {};
    const void* bytes = LockResource(loaded);
    if (!bytes) return {};
    return std::string_view(static_cast<const char*>(bytes), SizeofResource(self, found));
}
