#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "read_number.h"
#include "rules_engine.h"

namespace {

using namespace std::string_literals;

struct MatchCase {
    const char* typed;
    const char* normalised;
    int32_t row;
};

TEST(Matching, FindsTheFirstRowThatAcceptsTheText) {
    ASSERT_EQ(TheRuleTable().count, 109);
    const MatchCase cases[] = {
        {"501", "501", 1},
        {"530a", "530A", 2},
        {"530AB", "530AB", 2},
        {"530", "530", 5},
        {"531.1", "531.1", 5},
        {"5301", "5301", 107},
        {"5010", "5010", 105},
        {"642", "642", 18},
        {"642.1", "642.1", 17},
        {"642-2", "642.2", 15},
        {"642.25", "642.25", 15},
        {"642.3A", "642.3A", 16},
        {"6420", "6420", 108},
        {"6301", "6301", 13},
        {"670", "670", 40},
        {"674", "674", 35},
        {" 601-1 ", "601.1", 43},
        {"<642>", "642", 18},
        {"2605", "2605", 87},
        {"2609.3", "2609.3", 97},
        {"953.1", "953.1", 63},
        {"123", "123", 102},
        {"1234", "1234", 102},
        {"8123", "8123", 109},
        {"ABC", "ABC", 109},
        {"-501", ".501", 109},
        {"9999", "9999", 109},
        {"10000", "10000", 0},
        {"60", "60", 0},
        {"", "", 0},
        // more of the same rules
        {"642A", "642A", 18},
        {"642.05", "642.05", 17},
        {"640.1", "640.1", 14},
        {"6401", "6401", 14},
        {"954.1", "954.1", 64},
        {"954", "954", 80},
        {"abc", "ABC", 109},
        {"x12", "X12", 109},
        {"  12  ", "12", 0},
        {"<6>4<2>", "642", 18},
        {"<>", "", 0},
        {"5-0-1", "5.0.1", 5},
        {"\t501", "\t501", 109},  // only spaces are trimmed; the tab keeps the prefix from matching
        {"&H10", "&H10", 109},
        {"1E5", "1E5", 0},
        {"1e3", "1E3", 102},
        {"&H4D2", "&H4D2", 109},
        {"652 extra text", "652 EXTRA TEXT", 27},
        {"65212345678", "65212345678", 0},
    };
    for (const MatchCase& c : cases) {
        const std::string normalised = NormaliseDiagramText(c.typed);
        EXPECT_EQ(normalised, c.normalised) << '"' << c.typed << '"';
        EXPECT_EQ(FindMatchingRow(TheRuleTable(), normalised), c.row) << '"' << c.typed << '"';
    }
}

TEST(Matching, UpperCasesBytesAbove127ByTheAnsiCodePage) {
    const MatchCase cases[] = {
        {"\xe9t\xe9", "\xc9T\xc9", 0},                // é to É
        {"\xff\x9a\x9c\x9e", "\x9f\x8a\x8c\x8e", 0},  // ÿ š œ ž
        {"\xf7\xdf\xb5\xd7", "\xf7\xdf\xb5\xd7", 0},  // ÷ ß µ × have no capital in the code page
        {"\x80\xa0\xff", "\x80\xa0\x9f", 0},
    };
    for (const MatchCase& c : cases) EXPECT_EQ(NormaliseDiagramText(c.typed), c.normalised);
    // With three or more characters, text that is not a number reaches the last row.
    ASSERT_EQ(TheRuleTable().count, 109);
    EXPECT_EQ(FindMatchingRow(TheRuleTable(), NormaliseDiagramText("\xe9t\xe9")), 109);
}

TEST(Matching, UpperCasesEveryByteByWindows1252) {
    for (int c = 1; c < 256; ++c) {
        char expected = static_cast<char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) expected = static_cast<char>(c - 32);
        if (c == 0x9A || c == 0x9C || c == 0x9E) expected = static_cast<char>(c - 16);
        if (c == 0xFF) expected = '\x9f';
        if (c == '-') expected = '.';
        const std::string typed = "0" + std::string(1, static_cast<char>(c)) + "0";
        const std::string want = c == '<' || c == '>' ? "00" : c == ' ' ? "0 0" : "0" + std::string(1, expected) + "0";
        EXPECT_EQ(NormaliseDiagramText(typed), want) << c;
    }
}

// The rules read plainly: every row in order, its prefix and bound worked
// out from the pattern here, the value of the text read once.
int32_t PlainMatch(const RuleTable& table, const std::string& normalised) {
    if (normalised.size() < 3) return 0;
    for (int32_t row = 1; row <= table.count; ++row) {
        const std::string& pattern = table[row].pattern;
        const std::string prefix = pattern.substr(0, pattern.find_first_of("x*"));
        std::string bound = pattern;
        for (char& c : bound) c = c == 'x' ? '9' : c;
        if (normalised.compare(0, prefix.size(), prefix) != 0) continue;
        if (pattern.find('*') != std::string::npos || ReadNumber(normalised) <= ReadNumber(bound)) return row;
    }
    return 0;
}

TEST(Matching, TheRowIndexFindsWhatAPlainReadingFinds) {
    // Prefixes of 0 to 10 bytes, some longer than the packed 8, second bytes
    // of one class ("1", "A", "Q", "!" share their low bits), bytes 0 and 255
    // in a prefix, and rows with an empty prefix between the others.
    const std::string tables[] = {
        "5xx,0,0\r\n51A,0,0\r\nxxx,0,0\r\n5Q1,0,0\r\n5!x*,0,0\r\n1234567890x,0,0\r\n123456789A*,0,0\r\nx,0,0"s,
        "12\0\0,0,0\r\n12\0,0,0\r\n6\xff*,0,0\r\n6,0,0\r\n*,0,0"s,
        std::string(RuleTableText()),
    };
    const std::string texts[] = {
        "5"s,
        "500"s,
        "599"s,
        "600"s,
        "51A"s,
        "51B"s,
        "5Q1"s,
        "5!Z"s,
        "5A1"s,
        "5a1"s,
        "xxx"s,
        "X12"s,
        "1234567890"s,
        "12345678901"s,
        "1234567899"s,
        "123456789A"s,
        "123456789AB"s,
        "123456789B"s,
        "12\0"s,
        "12\0\0"s,
        "12\0\0\0"s,
        "6\xff"s,
        "6\xffx"s,
        "6\xfe"
        "1"s,
        "&H1"s,
        "-12"s,
        "1E3"s,
        "642.2"s,
        "642.25"s,
        "953.1"s,
        "8123"s,
        "ABC"s,
        "10000"s,
        "<6-4>2"s,
        "  7xx  "s,
        "2609.3"s,
    };
    for (const std::string& text : tables) {
        RuleTable table;
        ParseRuleTable(text, table);
        for (const std::string& typed : texts) {
            const std::string normalised = NormaliseDiagramText(typed);
            EXPECT_EQ(FindMatchingRow(table, normalised), PlainMatch(table, normalised)) << '"' << normalised << '"';
        }
    }
}

TEST(Matching, RowsBeyondTheCapacityAreNeverReached) {
    std::string text;
    for (int row = 1; row < RULE_TABLE_CAPACITY; ++row) text += "0000,1,0\r\n";
    text += "9999,1,0\r\nxxxx,1,0";  // rows 500 and 501
    RuleTable table;
    ASSERT_EQ(ParseRuleTable(text, table), RULE_TABLE_CAPACITY);
    EXPECT_EQ(FindMatchingRow(table, "9999"), 500);
    EXPECT_EQ(FindMatchingRow(table, "0000"), 1);
    EXPECT_EQ(FindMatchingRow(table, "5000"), 0);
}

TEST(Matching, AnEmptyTableMatchesNothing) {
    RuleTable empty;
    EXPECT_EQ(FindMatchingRow(empty, "501"), 0);
    EXPECT_EQ(FindMatchingRow(empty, "ABC"), 0);
}

TEST(Matching, StarPatternsAcceptAnyValueAfterTheirPrefix) {
    RuleTable table;
    ASSERT_EQ(ParseRuleTable("64*,1,0\r\n6xx,10,0", table), 2);
    EXPECT_EQ(FindMatchingRow(table, "649999999"), 1);
    EXPECT_EQ(FindMatchingRow(table, "64E999"), 1);  // infinite value
    EXPECT_EQ(FindMatchingRow(table, "65E999"), 0);
    EXPECT_EQ(FindMatchingRow(table, "650"), 2);
}

}  // namespace
