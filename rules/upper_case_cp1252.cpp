// Upper-casing by Windows-1252, the mapping the system applies for that code
// page; used where the system call is not available.
#include "upper_case.h"

namespace {

unsigned char UpperCp1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;  // à..þ except ÷
    switch (c) {
        case 0x9A:
            return 0x8A;  // š
        case 0x9C:
            return 0x8C;  // œ
        case 0x9E:
            return 0x8E;  // ž
        case 0xFF:
            return 0x9F;  // ÿ
        default:
            return c;
    }
}

}  // namespace

void UpperCase8(std::string& text) {
    for (char& c : text) c = static_cast<char>(UpperCp1252(static_cast<unsigned char>(c)));
}
