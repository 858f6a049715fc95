#include "read_number.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 99;
}

// Digits in base `base` from `pos` on, accumulated as a floating-point value.
double ReadInBase(std::string_view text, size_t pos, int base) {
    double value = 0;
    for (; pos < text.size(); ++pos) {
        int digit = DigitValue(text[pos]);
        if (digit >= base) break;
        value = value * base + digit;
    }
    return value;
}

// Sign, digits with at most one ".", and an optional exponent. The accepted
// characters are copied into a canonical form that strtod reads exactly
// (correctly rounded, independent of the exponent's size).
double ReadDecimal(std::string_view text, size_t pos) {
    std::string canonical;
    canonical.reserve(text.size() - pos + 2);
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (text[pos] == '-') canonical += '-';
        ++pos;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        if (IsDigit(c)) {
            canonical += c;
            anyDigit = true;
        } else if (c == '.' && !seenPoint) {
            canonical += '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return 0;

    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e' || text[pos] == 'D' || text[pos] == 'd')) {
        size_t p = pos + 1;
        std::string exponent = "e";
        if (p < text.size() && (text[p] == '+' || text[p] == '-')) exponent += text[p++];
        size_t firstDigit = p;
        while (p < text.size() && IsDigit(text[p])) exponent += text[p++];
        if (p > firstDigit) canonical += exponent;  // an exponent without digits is not read
    }
    return std::strtod(canonical.c_str(), nullptr);
}

}  // namespace

double ReadNumber(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos < text.size() && text[pos] == '&') {
        if (pos + 1 >= text.size()) return 0;
        switch (text[pos + 1]) {
            case 'H':
            case 'h':
                return ReadInBase(text, pos + 2, 16);
            case 'B':
            case 'b':
                return ReadInBase(text, pos + 2, 2);
            case 'O':
            case 'o':
            case 'Q':
            case 'q':
                return ReadInBase(text, pos + 2, 8);
            default:
                return ReadInBase(text, pos + 1, 8);
        }
    }
    return ReadDecimal(text, pos);
}

int32_t WholeNumberLow32(double value) {
    if (!std::isfinite(value)) return 0;
    // Nearest whole number, halves to the even one.
    double whole = std::floor(value);
    double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
    // fmod is exact for every finite double, so this is the true low 32 bits.
    double low = std::fmod(whole, 4294967296.0);
    if (low < 0) low += 4294967296.0;
    return static_cast<int32_t>(static_cast<uint32_t>(low));
}
