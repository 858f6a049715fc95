#include "bare_floor.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr size_t MAX_TEXT = 64;

constexpr double POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Digits with at most one "." as whole digits over a power of ten (one
// correctly rounded division); anything else through strtod.
double Value(char* text, size_t length) {
    uint64_t digits = 0;
    int count = 0;
    int fraction = 0;
    bool point = false;
    size_t i = 0;
    for (; i < length; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = digits * 10 + static_cast<uint64_t>(c - '0');
            ++count;
            if (point) ++fraction;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    const bool plain =
        count <= 15 && (i == length || (text[i] != 'E' && text[i] != 'e' && text[i] != 'D' && text[i] != 'd'));
    if (i > 0 && plain) return static_cast<double>(digits) / POWERS_OF_TEN[fraction];
    text[length] = '\0';
    return std::strtod(text, nullptr);
}

unsigned char UpperCp1252(int c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
    if (c == 0xFF) return 0x9F;
    return static_cast<unsigned char>(c);
}

}  // namespace

bool MakeBareFloor(const std::vector<std::string>& patterns, BareFloor& floor) {
    for (int c = 0; c < 256; ++c) floor.upper[c] = UpperCp1252(c);
    floor.rows.clear();
    for (const std::string& pattern : patterns) {
        BareFloorRow row;
        const size_t wildcard = pattern.find_first_of("x*");
        const size_t prefix = wildcard == std::string::npos ? pattern.size() : wildcard;
        if (prefix > sizeof row.prefix) return false;
        std::memcpy(&row.prefix, pattern.data(), prefix);
        std::memset(&row.mask, 0xFF, prefix);
        if (pattern.find('*') != std::string::npos) {
            row.bound = std::numeric_limits<double>::infinity();
        } else {
            char bound[MAX_TEXT + 1];
            size_t length = 0;
            for (char c : pattern) {
                if (length < MAX_TEXT) bound[length++] = c == 'x' ? '9' : c;
            }
            row.bound = Value(bound, length);
        }
        floor.rows.push_back(row);
    }
    return true;
}

int32_t BareFloorMatch(const BareFloor& floor, std::string_view typed) {
    size_t begin = 0;
    size_t end = typed.size();
    while (begin < end && typed[begin] == ' ') ++begin;
    while (end > begin && typed[end - 1] == ' ') --end;
    if (end - begin > MAX_TEXT) return -1;

    char text[MAX_TEXT + 1];
    size_t length = 0;
    for (size_t i = begin; i < end; ++i) {
        const char c = static_cast<char>(floor.upper[static_cast<unsigned char>(typed[i])]);
        if (c == '<' || c == '>') continue;
        text[length++] = c == '-' ? '.' : c;
    }
    if (length < 3) return 0;

    uint64_t word = 0;
    std::memcpy(&word, text, length < sizeof word ? length : sizeof word);
    const double value = Value(text, length);
    const int32_t count = static_cast<int32_t>(floor.rows.size());
    for (int32_t i = 0; i < count; ++i) {
        const BareFloorRow& row = floor.rows[static_cast<size_t>(i)];
        if (((word ^ row.prefix) & row.mask) == 0 && value <= row.bound) return i + 1;
    }
    return 0;
}
