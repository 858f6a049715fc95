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

// Digits in base `base` from `pos` on, accumulated as a floating-point
// value; `end` becomes the position after the last digit, 0 for none.
double ReadInBase(std::string_view text, size_t pos, int base, size_t& end) {
    const size_t first = pos;
    double value = 0;
    for (; pos < text.size(); ++pos) {
        int digit = DigitValue(text[pos]);
        if (digit >= base) break;
        value = value * base + digit;
    }
    end = pos > first ? pos : 0;
    return value;
}

// Sign, digits with at most one ".", and an optional exponent. The accepted
// characters are copied into a canonical form that strtod reads exactly
// (correctly rounded, independent of the exponent's size). `end` becomes
// the position after the last character read, 0 when there was no digit.
double ReadDecimal(std::string_view text, size_t pos, size_t& end) {
    end = 0;
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
        // An exponent without digits is not read.
        if (p > firstDigit) {
            canonical += exponent;
            pos = p;
        }
    }
    end = pos;
    return std::strtod(canonical.c_str(), nullptr);
}

}  // namespace

double ReadNumber(std::string_view text, size_t* used) {
    size_t end = 0;
    size_t pos = 0;
    double value = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos < text.size() && text[pos] == '&') {
        if (pos + 1 < text.size()) {
            switch (text[pos + 1]) {
                case 'H':
                case 'h':
                    value = ReadInBase(text, pos + 2, 16, end);
                    break;
                case 'B':
                case 'b':
                    value = ReadInBase(text, pos + 2, 2, end);
                    break;
                case 'O':
                case 'o':
                case 'Q':
                case 'q':
                    value = ReadInBase(text, pos + 2, 8, end);
                    break;
                default:
                    value = ReadInBase(text, pos + 1, 8, end);
                    break;
            }
        }
    } else {
        value = ReadDecimal(text, pos, end);
    }
    if (used) *used = end;
    return value;
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
