// Upper-casing by Windows-1252, the mapping the system applies for that code
// page; used where the system call is not available.
#include <array>

#include "upper_case.h"

namespace {

constexpr unsigned char UpperCp1252(unsigned char c) {
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

constexpr std::array<unsigned char, 256> UPPER = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = UpperCp1252(static_cast<unsigned char>(c));
    return table;
}();

}  // namespace

const unsigned char* UpperCaseTable() { return UPPER.data(); }

void UpperCase8(char* text, size_t size) {
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>(UPPER[static_cast<unsigned char>(text[i])]);
}
