#include "result_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "control_ids.h"
#include "dialog_model.h"
#include "rules_engine.h"

namespace {

std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }

TEST(WriteTextField, CutsToTheFieldAndLeavesBytesBehindTheTerminator) {
    char field[8];
    std::memset(field, 'z', sizeof field);
    WriteTextField(field, "123456789");
    EXPECT_EQ(Bytes(field, 8), std::string("1234567\0", 8));
    WriteTextField(field, "12");
    EXPECT_EQ(Bytes(field, 8), std::string("12\0"
                                           "4567\0",
                                           8));
    WriteTextField(field, "");
    EXPECT_EQ(Bytes(field, 8), std::string("\0"
                                           "2\0"
                                           "4567\0",
                                           8));
    WriteTextField(field, std::string("a\0b", 3));  // any byte may be written
    EXPECT_EQ(Bytes(field, 4), std::string("a\0b\0", 4));
}

TEST(ResultRecord, CarriesTheTypedTextTheOptionsAndTheWord) {
    ASSERT_EQ(TheRuleTable().count, 109);
    MainDialogModel dialog("501-extra", 1 << 0);
    const ResultRecord& record = dialog.State().resultRecord;
    dialog.Type("501");
    // Bytes 0-7: the text as typed, at most 7 characters; the longer text
    // typed before leaves its tail behind the terminator.
    std::string expected("501\0ext\0", 8);
    // Bytes 8-11: the option set, little-endian.
    expected += std::string("\x01\0\0\0", 4);
    // Bytes 12-51: the word, zero-terminated; the rest of the field is zero.
    std::string word = "internal or external lighting";
    expected += word + std::string(40 - word.size(), '\0');
    EXPECT_EQ(Bytes(&record, sizeof record), expected);

    dialog.Click(IDC_OPTION_BASE + 9);  // 20 mph: "reflectorised" over the longer word
    EXPECT_EQ(Bytes(record.result, 20), std::string("reflectorised\0ternal", 20));
    EXPECT_EQ(Bytes(&record.options, 4), std::string("\x01\x02\0\0", 4));
}

TEST(ResultRecord, NegativeOptionSetsAreStoredAsTheirBits) {
    const EngineState state(TheRuleTable(), -2);
    EXPECT_EQ(Bytes(&state.resultRecord, sizeof state.resultRecord),
              std::string(8, '\0') + "\xfe\xff\xff\xff" + std::string(40, '\0'));
}

}  // namespace
