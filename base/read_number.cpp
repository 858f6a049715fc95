#include "read_number.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
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

bool IsExponentMark(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

// Powers of ten, all exact doubles, for the at most 19 digits after the point.
constexpr double POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                    1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};

// The common case read without strtod: a sign and digits with at most one
// "." and no exponent. With at most 2^53 as the digits' whole value m and k
// digits after the point, m and 10^k are exact doubles and m / 10^k is one
// correctly rounded division, the same value that strtod gives. False where
// the full reading is needed; otherwise `used` becomes the position after
// the last character read, 0 when there was no digit.
bool ReadPlainDecimal(std::string_view text, size_t pos, double& value, size_t& used) {
    const char* p = text.data() + pos;
    const char* const end = text.data() + text.size();
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    // Digits beyond 19 may wrap around 64 bits; such text goes to strtod.
    uint64_t digits = 0;
    const char* const wholeStart = p;
    while (p != end && IsDigit(*p)) digits = digits * 10 + static_cast<uint64_t>(*p++ - '0');
    const ptrdiff_t wholeDigits = p - wholeStart;
    ptrdiff_t fractionDigits = 0;
    if (p != end && *p == '.') {
        const char* const fractionStart = ++p;
        while (p != end && IsDigit(*p)) digits = digits * 10 + static_cast<uint64_t>(*p++ - '0');
        fractionDigits = p - fractionStart;
    }
    if (wholeDigits + fractionDigits == 0) {
        value = 0;
        used = 0;
        return true;
    }
    if (wholeDigits + fractionDigits > 19 || digits > (uint64_t{1} << 53)) return false;
    if (p != end && IsExponentMark(*p)) return false;
    double magnitude = static_cast<double>(digits);
    if (fractionDigits > 0) {
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
        magnitude /= POWERS_OF_TEN[fractionDigits];
#else
        return false;  // wider intermediate results (x87) would round twice
#endif
    }
    value = negative ? -magnitude : magnitude;
    used = static_cast<size_t>(p - text.data());
    return true;
}

// Sign, digits with at most one ".", and an optional exponent. The accepted
// characters are copied into a canonical form that strtod reads exactly
// (correctly rounded, independent of the exponent's size). Kept out of line:
// the common case above then needs no stack buffer. `end` becomes the
// position after the last character read, 0 when there was no digit.
[[gnu::noinline]] double ReadDecimal(std::string_view text, size_t pos, size_t& end) {
    end = 0;
    // The canonical form is never longer than the text it comes from; room
    // on the stack for the usual lengths.
    const size_t room = text.size() - pos + 2;
    char local[128];
    std::string heap;
    char* canonical = local;
    if (room > sizeof local) {
        heap.resize(room);
        canonical = &heap[0];
    }
    size_t length = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (text[pos] == '-') canonical[length++] = '-';
        ++pos;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (IsDigit(c)) {
            canonical[length++] = c;
            anyDigit = true;
        } else if (c == '.' && !seenPoint) {
            canonical[length++] = '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return 0;

    if (pos < text.size() && IsExponentMark(text[pos])) {
        const size_t mantissaLength = length;
        size_t p = pos + 1;
        canonical[length++] = 'e';
        if (p < text.size() && (text[p] == '+' || text[p] == '-')) canonical[length++] = text[p++];
        const size_t firstDigit = p;
        while (p < text.size() && IsDigit(text[p])) canonical[length++] = text[p++];
        if (p == firstDigit) {
            length = mantissaLength;  // an exponent without digits is not read
        } else {
            pos = p;
        }
    }
    end = pos;
    canonical[length] = '\0';
    return std::strtod(canonical, nullptr);
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
    } else if (!ReadPlainDecimal(text, pos, value, end)) {
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

bool ReadWholeNumberExactly(std::string_view text, int32_t& value) {
    size_t used = 0;
    const double number = ReadNumber(text, &used);
    if (used == 0) return false;
    for (size_t i = used; i < text.size(); ++i) {
        if (!IsBlank(text[i])) return false;
    }
    value = WholeNumberLow32(number);
    return true;
}
