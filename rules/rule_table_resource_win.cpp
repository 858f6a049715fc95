// The rule table as the program's RCDATA resource "BRANTLE".
#include "rule_table.h"

#include <windows.h>

std::string_view RuleTableText() {
    HRSRC found = FindResourceA(nullptr, "BRANTLE", MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded) return {};
    const void* bytes = LockResource(loaded);
    if (!bytes) return {};
    return std::string_view(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
}
