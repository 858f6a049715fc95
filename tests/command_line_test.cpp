// Reading the command line: the program's name, the switches and the
// initial diagram number.
#include "command_line.h"
#include "program_arguments.h"

#include <gtest/gtest.h>

namespace {

TEST(ArgumentText, NameRules) {
    struct Case {
        std::u16string line;
        std::u16string arguments;
    } cases[] = {
        {u"brantle.exe 601.1 /S", u"601.1 /S"},
        {u"brantle.exe    642", u"642"},
        {u"\"C:\\Program Files\\Brantle\\brantle.exe\" /Q 5", u"/Q 5"},
        {u"\"C:\\a b\\brantle.exe\"642", u"642"},  // the name ends at the second quote
        {u"\"C:\\a b\\brantle.exe", u""},          // no second quote: all of it is the name
        {u"\"\"  x", u"x"},
        {u"brantle.exe\t642", u"\t642"},     // a tab ends the name but is not skipped
        {u"brantle.exe \t 642", u"\t 642"},  // only spaces are skipped
        {u"brantle.exe\x01x", u"\x01x"},     // any code up to 32 ends the name
        {u"brantle.exe", u""},
        {u"brantle.exe   ", u""},
        {u"", u""},
        {u"  601", u"601"},                 // an empty name
        {u"br\u00E4ntle.exe 601", u"601"},  // codes above 32 belong to the name
        {u"brantle.exe 601  ", u"601  "},   // trailing spaces stay
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ArgumentText(c.line), c.arguments) << std::string(c.line.begin(), c.line.end());
    }
}

TEST(ReadSwitches, ValuesAndPresence) {
    struct Case {
        const char* text;
        bool hasOwner;
        uint32_t owner;
        bool hasOptionSet;
        int32_t optionSet;
        bool noAbout;
    } cases[] = {
        {"", false, 0, false, 0, false},
        {"601.1 /Q 5 /H 1234 /S", true, 1234, true, 5, true},
        {"/H &H4D2", true, 1234, false, 0, false},
        {"/H12.5", true, 12, false, 0, false},  // halves to the even one
        {"/H13.5", true, 14, false, 0, false},
        {"/Q -1", false, 0, true, -1, false},  // all 32 bits set
        {"/Q5/H7/S", true, 7, true, 5, true},  // no blanks needed, any order
        {"/S/Q 3", false, 0, true, 3, true},
        {"/q 5 /h 7 /s", false, 0, false, 0, false},  // switches are case-sensitive
        {"/Q 1 /Q 2", false, 0, true, 1, false},      // the first occurrence counts
        {"/H", true, 0, false, 0, false},             // no number reads as 0
        {"/H window", true, 0, false, 0, false},
        {"/H 4294967297", true, 1, false, 0, false},  // the low 32 bits
        {"/H -1", true, 0xFFFFFFFFu, false, 0, false},
        {"/Q &B101", false, 0, true, 5, false},
        {"/Q \t\r\n 9", false, 0, true, 9, false},
        {"/Q 2147483648", false, 0, true, INT32_MIN, false},
        {"/Q 1E3", false, 0, true, 1000, false},
        {"x/S", false, 0, false, 0, true},
        {"/ S", false, 0, false, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const StartupSwitches s = ReadSwitches(c.text);
        EXPECT_EQ(s.hasOwner, c.hasOwner);
        EXPECT_EQ(s.owner, c.owner);
        EXPECT_EQ(s.hasOptionSet, c.hasOptionSet);
        EXPECT_EQ(s.optionSet, c.optionSet);
        EXPECT_EQ(s.noAbout, c.noAbout);
    }
}

TEST(InitialNumber, TextBeforeTheFirstSlash) {
    struct Case {
        const char* text;
        const char* number;
    } cases[] = {
        {"", ""},
        {"601.1 /Q 5 /H 1234 /S", "601.1"},
        {"/S 601.1", ""},
        {"   642   ", "642"},
        {"  \t642\t  ", "\t642\t"},  // only spaces are trimmed
        {"\"652\" /S", "\"652\""},   // quotes stay
        {"601 1/Q", "601 1"},
        {"   /S", ""},
        {"6\xA3"
         "1 /S",
         "6\xA3"
         "1"},  // bytes above 127 pass through
    };
    for (const Case& c : cases) EXPECT_EQ(InitialNumber(c.text), c.number) << c.text;
}

}  // namespace
