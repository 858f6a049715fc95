#include "rule_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

uint32_t Binary(const char* digits) { return ReadBinaryNumeral(digits); }

TEST(ShippedRuleTable, HasTheExactBytes) {
    std::string_view text = RuleTableText();
    EXPECT_EQ(text.size(), 3143u);
    size_t lineBreaks = 0;
    for (size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2)) ++lineBreaks;
    EXPECT_EQ(lineBreaks, 108u);
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");
    for (char c : text) EXPECT_LT(static_cast<unsigned char>(c), 128u);

    // Stray spaces outside the quoted labels stand in 54 lines.
    int linesWithSpaces = 0;
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        std::string_view line =
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        size_t quote = line.find('"');
        if (line.substr(0, quote).find(' ') != std::string_view::npos ||
            (quote != std::string_view::npos && line.substr(line.rfind('"')).find(' ') != std::string_view::npos))
            ++linesWithSpaces;
        if (end == std::string_view::npos) break;
        start = end + 2;
    }
    EXPECT_EQ(linesWithSpaces, 54);
}

class ShippedRows : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(TheRuleTable().count, 109); }
    const Rule& Row(int32_t row) { return TheRuleTable()[row]; }
};

TEST_F(ShippedRows, KeepsFieldsWithStraySpaces) {
    EXPECT_EQ(Row(5).pattern, "5xx");
    EXPECT_EQ(Row(5).requirement, 0u);
    EXPECT_EQ(Row(5).disabledOptions, Binary("10000101100"));

    EXPECT_EQ(Row(27).pattern, "652");
    EXPECT_EQ(Row(27).requirement, Bit(REQ_LIT_IF_CONDITION));
    EXPECT_EQ(Row(27).label, "Within 50m of junction from which traffic joins");

    EXPECT_EQ(Row(40).pattern, "67x");
    EXPECT_EQ(Row(40).disabledOptions, Bit(5) | Bit(9));
    EXPECT_EQ(Row(40).label, "Trunk or principal (A class) road");
}

TEST_F(ShippedRows, LastRowIsTheRuleForSignsWithoutANumber) {
    EXPECT_EQ(Row(109).pattern, "xxxx");
    EXPECT_EQ(Row(109).requirement, Bit(REQ_LIT_IF_CONDITION) | Bit(REQ_LIT_ON_GANTRY) | Bit(REQ_OTHER_BOLLARD));
    EXPECT_EQ(Row(109).label, "Motorway");
    EXPECT_EQ(Row(109).prefix, "");
    EXPECT_EQ(Row(109).boundValue, 9999);
}

TEST_F(ShippedRows, NotApplicableRowsNameTheirEquipment) {
    const std::map<int32_t, std::string> expected = {{102, "road markings"},
                                                     {103, "traffic signals"},
                                                     {104, "traffic control equipment"},
                                                     {107, "lane control equipment"},
                                                     {108, "matrix and lane control signs"}};
    for (int32_t row = 1; row <= 109; ++row) {
        auto found = expected.find(row);
        EXPECT_EQ(HasBit(Row(row).requirement, REQ_NOT_APPLICABLE), found != expected.end()) << row;
        if (found != expected.end()) {
            EXPECT_EQ(Row(row).label, found->second);
            EXPECT_EQ(Row(row).disabledOptions, 0x7FFu);
        }
    }
}

TEST_F(ShippedRows, ColumnValuesOccurAsOftenAsTranscribed) {
    // How often each value of columns 2 and 3 occurs: a check on the table's text.
    std::map<uint32_t, int> requirement;
    std::map<uint32_t, int> disabled;
    for (int32_t row = 1; row <= 109; ++row) {
        ++requirement[Row(row).requirement];
        ++disabled[Row(row).disabledOptions];
    }
    const std::map<uint32_t, int> expectedRequirement = {{Binary("0000001"), 51},
                                                         {0, 20},
                                                         {Binary("0000010"), 14},
                                                         {Binary("0110010"), 5},
                                                         {Bit(15), 5},
                                                         {Binary("0010000"), 4},
                                                         {Binary("0001010"), 2},
                                                         {Bit(7), 2},
                                                         {Bit(2), 2},
                                                         {Bit(6), 2},
                                                         {Binary("0010010"), 1},
                                                         {Binary("11100"), 1}};
    const std::map<uint32_t, int> expectedDisabled = {
        {Binary("10000111100"), 37}, {Binary("10000100000"), 36}, {Binary("10000101100"), 18},
        {Binary("10000000000"), 6},  {Binary("11111111111"), 5},  {Binary("00000100000"), 1},
        {Binary("01000100000"), 1},  {Binary("10000011110"), 1},  {Binary("10000110000"), 1},
        {Binary("10000011100"), 1},  {Binary("11000111111"), 1},  {Binary("11000101100"), 1}};
    EXPECT_EQ(requirement, expectedRequirement);
    EXPECT_EQ(disabled, expectedDisabled);
}

struct PatternCase {
    const char* pattern;
    const char* prefix;
    double bound;
    bool star;
};

TEST(RulePattern, PrefixAndBoundComeFromTheWildcards) {
    const PatternCase cases[] = {
        {"501", "501", 501, false},       {"530A", "530A", 530, false},    {"5xx", "5", 599, false},
        {"260x.2", "260", 2609.2, false}, {"xxxx", "", 9999, false},       {"63x*", "63", 639, true},
        {"642.2*", "642.2", 642.2, true}, {"954.x", "954.", 954.9, false},
    };
    for (const PatternCase& c : cases) {
        RuleTable table;
        ASSERT_EQ(ParseRuleTable(std::string(c.pattern) + ",1,1", table), 1);
        EXPECT_EQ(table[1].prefix, c.prefix) << c.pattern;
        EXPECT_DOUBLE_EQ(table[1].boundValue, c.bound) << c.pattern;
        EXPECT_EQ(table[1].hasStar, c.star) << c.pattern;
    }
}

TEST(ParseRuleTable, ReadsEachLineByTheGrammar) {
    RuleTable table;
    ASSERT_EQ(ParseRuleTable("123\r\n"
                             "  456  ,  101  ,  11  ,  \"  a, b  \"  junk\r\n"
                             "789,0120,1x1\r\n"
                             "\"7, 8\",1,1,\"label with no end\r\n"
                             "999,,,plain label  ",
                             table),
              5);
    EXPECT_EQ(table[1].pattern, "123");
    EXPECT_EQ(table[1].requirement, 0u);
    EXPECT_EQ(table[1].disabledOptions, 0u);
    EXPECT_EQ(table[1].label, "");
    EXPECT_EQ(table[2].pattern, "456");
    EXPECT_EQ(table[2].requirement, 5u);
    EXPECT_EQ(table[2].disabledOptions, 3u);
    EXPECT_EQ(table[2].label, "a, b");
    EXPECT_EQ(table[3].requirement, 1u);  // a non-binary character ends the numeral
    EXPECT_EQ(table[3].disabledOptions, 1u);
    EXPECT_EQ(table[4].pattern, "7, 8");
    EXPECT_EQ(table[4].label, "label with no end");
    EXPECT_EQ(table[5].label, "plain label");
}

TEST(ParseRuleTable, EndsAtTheFirstEmptyPattern) {
    RuleTable table;
    EXPECT_EQ(ParseRuleTable("501,1,1\r\n\r\n502,1,1", table), 1);
    EXPECT_EQ(ParseRuleTable("501,1,1\r\n  ,1,1\r\n502,1,1", table), 1);
    EXPECT_EQ(ParseRuleTable("501,1,1\r\n502,1,1\r\n", table), 2);  // the empty last line
    EXPECT_EQ(ParseRuleTable("", table), 0);
    EXPECT_EQ(ParseRuleTable(",1,1\r\n501,1,1", table), 0);
    // Only CR LF separates lines.
    EXPECT_EQ(ParseRuleTable("501,1,1\n502,1,1\r503,1,1", table), 1);
    EXPECT_EQ(table[1].disabledOptions, 1u);
}

TEST(ParseRuleTable, HoldsAtMost500Rows) {
    auto lines = [](int n) {
        std::string text;
        for (int i = 0; i < n; ++i) text += (i ? "\r\n" : "") + std::to_string(1000 + i) + ",1,0";
        return text;
    };
    RuleTable table;
    EXPECT_EQ(ParseRuleTable(lines(499), table), 499);
    EXPECT_EQ(ParseRuleTable(lines(500), table), 500);
    EXPECT_EQ(ParseRuleTable(lines(501), table), 500);
    EXPECT_EQ(table[500].pattern, "1499");
    EXPECT_EQ(ParseRuleTable(lines(5000), table), 500);
}

TEST(ParseRuleTable, ALaterLoadStartsAfresh) {
    RuleTable table;
    ASSERT_EQ(ParseRuleTable("501,1,1\r\n502,1,1\r\n503,1,1", table), 3);
    ASSERT_EQ(ParseRuleTable("601,10,0", table), 1);
    EXPECT_EQ(table.count, 1);
    EXPECT_EQ(table[1].pattern, "601");
    EXPECT_EQ(table[1].requirement, 2u);
}

TEST(ReadBinaryNumeral, ReadsMostSignificantFirstAndWrapsPast32Digits) {
    EXPECT_EQ(Binary(""), 0u);
    EXPECT_EQ(Binary("1000000000000000"), 0x8000u);
    EXPECT_EQ(Binary("0110010 "), 0x32u);
    EXPECT_EQ(Binary("11111111111111111111111111111111"), 0xFFFFFFFFu);
    EXPECT_EQ(Binary("100000000000000000000000000000001"), 1u);  // 33 digits
    EXPECT_EQ(Binary("2"), 0u);
}

}  // namespace
