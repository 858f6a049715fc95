#include "text_field.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct FieldCase {
    const char* text;
    std::vector<const char*> fields;  // fields 1, 2, ...; one more is read and must be empty
};

TEST(TextField, ReadsCommaSeparatedValues) {
    const FieldCase cases[] = {
        {"a,b,c", {"a", "b", "c"}},
        {"  a  , b ,c  ", {"a", "b", "c"}},
        {"a b ,c", {"a b", "c"}},
        {",,", {"", "", ""}},
        {"x,\"q, r\",y", {"x", "q, r", "y"}},
        {"x,\"q\" junk ,y", {"x", "q", "y"}},
        {"x,  \"  padded  \"  ,y", {"x", "  padded  ", "y"}},
        {"x,\"unclosed, rest", {"x", "unclosed, rest"}},
        {"\"\",b", {"", "b"}},
        {"a,\"\"\"", {"a", ""}},      // the second quote closes; the third is skipped
        {"\ta,b\r", {"\ta", "b\r"}},  // only spaces are trimmed
        {"652, 0000100 ,10000101100,\"Within 50m of junction from which traffic joins\"",
         {"652", "0000100", "10000101100", "Within 50m of junction from which traffic joins"}},
    };
    for (const FieldCase& c : cases) {
        for (size_t i = 0; i < c.fields.size(); ++i) {
            EXPECT_EQ(TextField(c.text, static_cast<int>(i + 1)), c.fields[i]) << c.text << " field " << i + 1;
        }
        EXPECT_EQ(TextField(c.text, static_cast<int>(c.fields.size() + 1)), "") << c.text;
    }
}

TEST(TextField, EmptyTextHasOneEmptyField) {
    EXPECT_EQ(TextField("", 1), "");
    EXPECT_EQ(TextField("", 2), "");
    EXPECT_EQ(TextField("", 1, "."), "");
}

TEST(TextField, FieldsBeforeTheFirstDoNotExist) {
    EXPECT_EQ(TextField("a,b", 0), "");
    EXPECT_EQ(TextField("a,b", -1), "");
    EXPECT_EQ(TextField("a.b", 0, "."), "");
}

TEST(TextField, SplitsAtEveryOccurrenceOfAWholeDelimiter) {
    const FieldCase cases[] = {
        {"1.10.1", {"1", "10", "1"}},
        {"a..b", {"a", "", "b"}},
        {".a.", {"", "a", ""}},
        {" a , b ", {" a , b "}},
    };
    for (const FieldCase& c : cases) {
        for (size_t i = 0; i < c.fields.size(); ++i) {
            EXPECT_EQ(TextField(c.text, static_cast<int>(i + 1), "."), c.fields[i]) << c.text;
        }
        EXPECT_EQ(TextField(c.text, static_cast<int>(c.fields.size() + 1), "."), "") << c.text;
    }
    // A delimiter of several characters counts only whole.
    EXPECT_EQ(TextField("a\rb\r\nc", 1, "\r\n"), "a\rb");
    EXPECT_EQ(TextField("a\rb\r\nc", 2, "\r\n"), "c");
    EXPECT_EQ(TextField("a--b---c", 3, "--"), "-c");
}

}  // namespace
