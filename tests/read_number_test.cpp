#include "read_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

struct NumberCase {
    const char* text;
    double value;
};

TEST(ReadNumber, ReadsEveryForm) {
    const NumberCase cases[] = {
        // no digits at all
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"+", 0},
        {".", 0},
        {"-.", 0},
        {"--5", 0},
        {"+-5", 0},
        {"e5", 0},
        // blanks before the number are skipped: spaces, tabs, CR and LF
        {"  \t\r\n42", 42},
        {"\n\n7", 7},
        // decimal numbers stop at the first character that does not fit
        {"12abc", 12},
        {"12 34", 12},
        {"1,5", 1},
        {"+5", 5},
        {"-5", -5},
        {"1.5", 1.5},
        {"1.2.3", 1.2},
        {".5", 0.5},
        {"5.", 5},
        {"-0.25x", -0.25},
        {"530A", 530},
        {"642.2*", 642.2},
        {"0007", 7},
        // exponents: E, e, D, d, with or without a sign; no digits, no exponent
        {"1e3", 1000},
        {"1E3", 1000},
        {"1d3", 1000},
        {"1D-2", 0.01},
        {"2.5e+1x", 25},
        {"1e", 1},
        {"1e+", 1},
        {"1E-", 1},
        {"1ex", 1},
        {"7D", 7},
        {"1e3.5", 1000},
        // the & forms: hexadecimal, binary, octal, and octal at any other character
        {"&H4D2", 1234},
        {"&hff", 255},
        {"&HFFFFFFFF", 4294967295.0},
        {"&Hg", 0},
        {"&H", 0},
        {"&B101", 5},
        {"&b102", 2},
        {"&B", 0},
        {"&O17", 15},
        {"&o17", 15},
        {"&Q17", 15},
        {"&q17", 15},
        {"&O8", 0},
        {"&17", 15},
        {"&18", 1},
        {"&X", 0},
        {"&", 0},
        {"& H10", 0},
        {"  &H10", 16},
        {"&H-1", 0},
    };
    for (const NumberCase& c : cases) {
        EXPECT_DOUBLE_EQ(ReadNumber(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(ReadNumber, TellsHowManyCharactersTheNumberTook) {
    const struct {
        const char* text;
        size_t used;  // 0: no number at all
    } cases[] = {
        {"", 0},           {"abc", 0},   {"-", 0},     {"+", 0},     {".", 0},   {"-.", 0},      {"--5", 0},
        {"e5", 0},         {"  ", 0},    {"&", 0},     {"&H", 0},    {"&Hg", 0}, {"&B2", 0},     {"&O8", 0},
        {"&8", 0},         {"&X", 0},    {"& H10", 0}, {"0", 1},     {"-0", 2},  {"12abc", 2},   {"12 34", 2},
        {"  \t\r\n42", 7}, {"+5", 2},    {"1.5", 3},   {"1.2.3", 3}, {".5", 2},  {"5.", 2},      {"1e3", 3},
        {"2.5e+1x", 6},    {"1e", 1},    {"1e+", 1},   {"1ex", 1},   {"0x1", 1}, {"&H4D2", 5},   {"&hffz", 4},
        {"&B101", 5},      {"&b102", 4}, {"&O17", 4},  {"&17", 3},   {"&18", 2}, {"  &H10 ", 6}, {"1\xff", 1},
    };
    for (const auto& c : cases) {
        size_t used = 99;
        const double value = ReadNumber(c.text, &used);
        EXPECT_EQ(used, c.used) << '"' << c.text << '"';
        EXPECT_DOUBLE_EQ(value, ReadNumber(c.text)) << '"' << c.text << '"';
    }
}

TEST(ReadNumber, HugeAndTinyExponentsSaturate) {
    EXPECT_EQ(ReadNumber("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadNumber("-1D99999999999999999999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadNumber("1e-400"), 0.0);
    EXPECT_EQ(ReadNumber("5e-99999999999999999999"), 0.0);
}

TEST(ReadNumber, LongDigitRunsAreReadCorrectlyRounded) {
    // 400 digits: far beyond any fixed buffer.
    std::string digits(400, '9');
    EXPECT_EQ(ReadNumber(digits), std::numeric_limits<double>::infinity());
    std::string small = "0." + std::string(300, '0') + "1";
    EXPECT_DOUBLE_EQ(ReadNumber(small), 1e-301);
    EXPECT_EQ(ReadNumber("9007199254740993"), 9007199254740992.0);  // 2^53 + 1 rounds to even
}

// Plain decimal text is read without strtod; the value must be the one
// that strtod gives, bit for bit, also where the short way does not apply.
TEST(ReadNumber, PlainDecimalsAreReadAsStrtodReadsThem) {
    std::vector<std::string> texts = {
        "642.25",
        "0.1",
        "531.1A",
        "2609.3",
        "9999",
        "-0",
        "-0.0",
        "+.5",
        "5.",
        "007.50",
        "9007199254740992",       // 2^53: still exact
        "9007199254740993",       // 2^53 + 1: beyond, rounds to even
        "123456789012345.6",      // 16 digits
        "1234567890123456789",    // 19 digits
        "12345678901234567890",   // 20 digits, beyond 64 bits
        "0.0000000000000000001",  // 19 digits after the point
        "0.00000000000000000000001",
        "1.0000000000000002",
        "1.00000000000000011102230246251565404",
        "3.14159265358979323846",
    };
    std::mt19937 random(11);
    for (int n = 0; n < 20000; ++n) {
        std::string text = random() % 4 == 0 ? "-" : "";
        const int digits = 1 + static_cast<int>(random() % 22);
        const int point = static_cast<int>(random() % (digits + 2));
        for (int d = 0; d < digits; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        const double read = ReadNumber(text);
        const double expected = std::strtod(text.c_str(), nullptr);
        EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << '"' << text << "\" " << read << " " << expected;
    }
}

TEST(ReadNumber, IgnoresBytesAbove127) {
    EXPECT_EQ(ReadNumber("\xe9"
                         "12"),
              0);
    EXPECT_EQ(ReadNumber("12\xff"), 12);
    EXPECT_EQ(ReadNumber("&H\xc1"), 0);
}

struct WholeCase {
    double value;
    int32_t whole;
};

TEST(WholeNumberLow32, RoundsHalvesToEvenAndKeepsLow32Bits) {
    const WholeCase cases[] = {
        {0, 0},
        {0.4, 0},
        {0.5, 0},
        {0.6, 1},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {12.5, 12},
        {13.5, 14},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {-2.6, -3},
        {2.4999999, 2},
        {2.5000001, 3},
        {2147483647, 2147483647},
        {2147483648.0, -2147483647 - 1},
        {4294967295.0, -1},
        {4294967296.0, 0},
        {4294967297.0, 1},
        {-1, -1},
        {-4294967296.0, 0},
        {-2147483649.0, 2147483647},
        // far beyond 32 bits: the true low 32 bits of the rounded value
        {1e20, 1661992960},
        {-1e20, -1661992960},
        {123456789012.5, -1097262572},
        {123456789013.5, -1097262570},
        {1000000000000007.0, -1530494969},
        {3298534883333.0, 5},
        {9007199254740994.0, 2},
        {1e300, 0},
    };
    for (const WholeCase& c : cases) {
        EXPECT_EQ(WholeNumberLow32(c.value), c.whole) << c.value;
    }
}

TEST(WholeNumberLow32, NonFiniteValuesGiveZero) {
    EXPECT_EQ(WholeNumberLow32(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(WholeNumberLow32(-std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(WholeNumberLow32(std::nan("")), 0);
}

TEST(ReadWholeNumber, ReadsSwitchValues) {
    EXPECT_EQ(ReadWholeNumber("&H4D2"), 1234);
    EXPECT_EQ(ReadWholeNumber("12.5"), 12);
    EXPECT_EQ(ReadWholeNumber(" -1"), -1);
    EXPECT_EQ(ReadWholeNumber("5 /H 1234"), 5);
    EXPECT_EQ(ReadWholeNumber("1e10"), 1410065408);
    EXPECT_EQ(ReadWholeNumber("junk"), 0);
}

TEST(ReadWholeNumberExactly, TakesANumberAndBlanksAlone) {
    const struct {
        const char* text;
        bool taken;
        int32_t value;  // when taken; otherwise the value must stay untouched
    } cases[] = {
        {"8", true, 8},     {" 8\t\r\n", true, 8}, {"&H8", true, 8},  {"&b1000", true, 8},
        {"&10", true, 8},   {"7.5", true, 8},      {"-1", true, -1},  {"1e10", true, 1410065408},
        {"", false, 0},     {"  ", false, 0},      {"abc", false, 0}, {"0x1", false, 0},
        {"8abc", false, 0}, {"&H", false, 0},      {"&8", false, 0},  {"1e", false, 0},
        {"8 8", false, 0},  {"+", false, 0},
    };
    for (const auto& c : cases) {
        int32_t value = 12345;
        EXPECT_EQ(ReadWholeNumberExactly(c.text, value), c.taken) << '"' << c.text << '"';
        EXPECT_EQ(value, c.taken ? c.value : 12345) << '"' << c.text << '"';
    }
}

}  // namespace
