// Upper-casing by the system's mapping for the ANSI code page.
#include "upper_case.h"

#include <windows.h>

namespace {

struct ByteTable {
    bool usable = false;  // the code page has one byte per character
    unsigned char upper[256] = {};
};

// Asks the system once how it upper-cases each byte on its own.
ByteTable MakeByteTable() {
    ByteTable table;
    CPINFO info;
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1) return table;
    for (int c = 0; c < 256; ++c) table.upper[c] = static_cast<unsigned char>(c);
    CharUpperBuffA(reinterpret_cast<char*>(table.upper + 1), 255);  // byte 0 stays 0
    table.usable = true;
    return table;
}

}  // namespace

const unsigned char* UpperCaseTable() {
    static const ByteTable table = MakeByteTable();
    return table.usable ? table.upper : nullptr;
}

void UpperCase8(char* text, size_t size) {
    if (size > 0) CharUpperBuffA(text, static_cast<DWORD>(size));
}
