#include <gtest/gtest.h>

#include <string>

#include "list_check_agreement.h"
#include "read_number.h"
#include "test_signing_key.h"
#include "update_list.h"

using namespace std::string_literals;

TEST(UpdateListLine, SplitsAtLineFeedsAndStripsOnlySpaces) {
    const std::string list = "  first  \n\tsecond\t\nthird\r\n   \n\nlast";
    EXPECT_EQ(UpdateListLine(list, 1), "first");
    EXPECT_EQ(UpdateListLine(list, 2), "\tsecond\t");  // tabs are not stripped
    EXPECT_EQ(UpdateListLine(list, 3), "third\r");     // nor is the CR before the LF
    EXPECT_EQ(UpdateListLine(list, 4), "");            // spaces only
    EXPECT_EQ(UpdateListLine(list, 5), "");
    EXPECT_EQ(UpdateListLine(list, 6), "last");
    EXPECT_EQ(UpdateListLine(list, 7), "");  // beyond the end
    EXPECT_EQ(UpdateListLine(list, 0), "");
    EXPECT_EQ(UpdateListLine("", 1), "");
    EXPECT_EQ(UpdateListLine("a\n", 2), "");
}

// The list's numbers are plain decimals: no "&" forms and no exponent, unlike
// the program's general number reading.
TEST(ReadListDecimal, ReadsOnlyTheDecimalFormWhereReadNumberReadsMore) {
    struct Case {
        const char* text;
        double listValue;
        double readNumberValue;
    };
    const Case cases[] = {
        {"&H10", 0, 16},    {"&B101", 0, 5},     {"&O17", 0, 15},     {"&17", 0, 15},         {"1e3", 1, 1000},
        {"2D2", 2, 200},    {"5d-1", 5, 0.5},    {"1.5E1x", 1.5, 15}, {" \t\r\n42x", 42, 42}, {"-7", -7, -7},
        {"+3.5", 3.5, 3.5}, {"1.2.3", 1.2, 1.2}, {"", 0, 0},          {"abc", 0, 0},          {".5", 0.5, 0.5},
        {"-", 0, 0},        {"+-5", 0, 0},       {"100\r", 100, 100}, {"12 34", 12, 12},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(ReadListDecimal(c.text), c.listValue) << c.text;
        EXPECT_DOUBLE_EQ(ReadNumber(c.text), c.readNumberValue) << c.text;
    }
}

TEST(ReadListWholeNumber, RoundsHalvesToEvenAndKeepsTheLow32Bits) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"2.51", 3},
        {"-0.4", 0},
        {"4294967297", 1},
        {"2147483648", INT32_MIN},
        {"-1", -1},
        {"12345678901234567890", static_cast<int32_t>(0xEB1F0800u)},
        {"1e9", 1},
        {"&HFF", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadListWholeNumber(c.text), c.value) << c.text;
}

TEST(ReadUpdateListEntry, ReadsFiveFields) {
    UpdateListEntry entry = ReadUpdateListEntry("Brantle, 1.11.2 ,4,setup.exe,  123456");
    EXPECT_EQ(entry.program, "Brantle");
    EXPECT_EQ(entry.version, "1.11.2");
    EXPECT_EQ(entry.method, 4);
    EXPECT_EQ(entry.address, "setup.exe");
    EXPECT_EQ(entry.size, 123456);
}

TEST(ReadUpdateListEntry, QuotedFieldsKeepTheirCommas) {
    UpdateListEntry entry = ReadUpdateListEntry("\"Brantle\" x,\"1.11\",\"1\",\"www.a.example/p?a=1,b=2\" junk,7");
    EXPECT_EQ(entry.program, "Brantle");
    EXPECT_EQ(entry.version, "1.11");
    EXPECT_EQ(entry.method, 1);
    EXPECT_EQ(entry.address, "www.a.example/p?a=1,b=2");
    EXPECT_EQ(entry.size, 7);
}

TEST(ReadUpdateListEntry, MissingFieldsAreEmptyOrZeroAndExtraFieldsIgnored) {
    UpdateListEntry shortLine = ReadUpdateListEntry("Brantle,1.11");
    EXPECT_EQ(shortLine.version, "1.11");
    EXPECT_EQ(shortLine.method, 0);
    EXPECT_EQ(shortLine.address, "");
    EXPECT_EQ(shortLine.size, 0);

    UpdateListEntry longLine = ReadUpdateListEntry("Brantle,2,4,a.exe,10,20,30");
    EXPECT_EQ(longLine.size, 10);
    EXPECT_EQ(longLine.sha256, "20");  // the sixth field; the seventh is ignored
    EXPECT_EQ(shortLine.sha256, "");

    // The CR of a CR LF line end is no part of the last field, whichever it is.
    const std::pair<const char*, const char*> crCases[] = {
        {"Brantle,2,4,a.exe,10\r", "a.exe"},  {"Brantle,2,4,a.exe  \r", "a.exe"},
        {"Brantle,2,4,\"a.exe\"\r", "a.exe"}, {"Brantle,2,4,a\rb.exe", "a\rb.exe"},  // only at the end
        {"Brantle,2,4,a.exe\r\r", "a.exe\r"},                                        // only one
    };
    for (const auto& [line, address] : crCases) EXPECT_EQ(ReadUpdateListEntry(line).address, address) << line;
    EXPECT_EQ(ReadUpdateListEntry("Brantle,2,4,a.exe,10\r").size, 10);
    EXPECT_EQ(ReadUpdateListEntry("Brantle,2,4,a.exe,10,ABCdef \r").sha256, "ABCdef");

    // An unclosed quote runs to the end of the line.
    UpdateListEntry open = ReadUpdateListEntry("Brantle,2,1,\"a,b,c");
    EXPECT_EQ(open.address, "a,b,c");
    EXPECT_EQ(open.size, 0);

    // A method written in the "&H" form or with an exponent is not that number.
    EXPECT_EQ(ReadUpdateListEntry("Brantle,2,&H4,a.exe").method, 0);
    EXPECT_EQ(ReadUpdateListEntry("Brantle,2,0.4e1,a.exe").method, 0);
}

struct FindCase {
    const char* name;
    std::string list;
    bool found;
    std::string version;  // of the entry found
};

class FindUpdateListEntryTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindUpdateListEntryTest, FindsTheFirstLineForTheProgram) {
    const FindCase& c = GetParam();
    UpdateListEntry entry;
    ASSERT_EQ(FindUpdateListEntry(c.list, "Brantle", entry), c.found);
    if (c.found) {
        EXPECT_EQ(entry.version, c.version);
    }
}

// The maker's check of the same list, signed, finds the same line.
TEST_P(FindUpdateListEntryTest, TheMakersCheckFindsTheSameLine) {
    static const TestSigningKey maker;
    const FindCase& c = GetParam();
    ExpectTheListCheckAgrees(c.list, maker.Sign(c.list), maker.PublicKey(), c.name);
}

std::string Lines(int count, const std::string& line) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line + "\n";
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, FindUpdateListEntryTest,
    testing::Values(FindCase{"FirstLine", "Brantle,1.11,1,p\n", true, "1.11"},
                    FindCase{"WithoutFinalLineFeed", "Other,9\nBrantle,1.12,1,p", true, "1.12"},
                    FindCase{"FirstMatchWins", "Brantle,1.11,1,p\nBrantle,9.0,1,p\n", true, "1.11"},
                    FindCase{"OtherProgramOnly", "Pelgrath,9.0,1,p\n", false, ""},
                    FindCase{"OtherLetterCase", "brantle,9.0,1,p\nBRANTLE,9.0,1,p\n", false, ""},
                    FindCase{"QuotedWithSpacesAround", "   \"Brantle\"   ,1.13,1,p\n", true, "1.13"},
                    FindCase{"SpacesInsideQuotesDoNotMatch", "\" Brantle\",9.0,1,p\n", false, ""},
                    FindCase{"TabBeforeNameDoesNotMatch", "\tBrantle,9.0,1,p\n", false, ""},
                    FindCase{"NameFollowedByTextDoesNotMatch", "Brantle2,9.0,1,p\n", false, ""},
                    FindCase{"AfterAnEmptyLine", "Other,1\n\nBrantle,9.0,1,p\n", false, ""},
                    FindCase{"AfterALineOfSpaces", "Other,1\n    \nBrantle,9.0,1,p\n", false, ""},
                    // A blank line of a CR LF list still holds its CR, so it is not empty.
                    FindCase{"CrLfBlankLineDoesNotEnd", "Other,1\r\n\r\nBrantle,1.14,4,a.exe,10\r\n", true, "1.14"},
                    FindCase{"OnLine50", Lines(49, "Other,1") + "Brantle,1.15,1,p\n", true, "1.15"},
                    FindCase{"OnLine51", Lines(50, "Other,1") + "Brantle,9.0,1,p\n", false, ""},
                    FindCase{"EmptyList", "", false, ""}, FindCase{"OnlyLineFeeds", "\n\n\n", false, ""},
                    FindCase{"BytesOf0And255", "x\0\xff,1\nBrantle,1.16\0,1,p\n"s, true, "1.16\0"s}),
    [](const testing::TestParamInfo<FindCase>& info) { return std::string(info.param.name); });
