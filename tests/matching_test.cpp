#include <gtest/gtest.h>

#include "rules_engine.h"

namespace {

struct MatchCase {
    const char* typed;
    const char* normalised;
    int32_t row;
};

TEST(Matching, FindsTheFirstRowThatAcceptsTheText) {
    ASSERT_EQ(LoadRuleTable(), 109);
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
        EXPECT_EQ(FindMatchingRow(TheRuleTable, normalised), c.row) << '"' << c.typed << '"';
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
    ASSERT_EQ(LoadRuleTable(), 109);
    EXPECT_EQ(FindMatchingRow(TheRuleTable, NormaliseDiagramText("\xe9t\xe9")), 109);
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
