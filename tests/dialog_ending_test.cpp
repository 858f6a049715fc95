// The end values of the dialogs and how they are read back.
#include "dialog_ending.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(DialogEnding, OkEndValueAndMainDialogResultWrapRound) {
    struct Case {
        int32_t optionSet;
        int32_t endValue;
    } cases[] = {
        {0, 1}, {5, 6}, {-1, 0}, {-2, -1}, {-3, -2}, {INT32_MAX, INT32_MIN}, {INT32_MIN, INT32_MIN + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.optionSet);
        EXPECT_EQ(OkEndValue(c.optionSet), c.endValue);
        EXPECT_EQ(MainDialogResult(c.endValue), c.optionSet) << "the main dialog gives the option set back";
    }
    EXPECT_EQ(MainDialogResult(-1), -2) << "Esc";
    EXPECT_EQ(MainDialogResult(0), -1) << "close through the system";
    EXPECT_EQ(MainDialogResult(INT32_MIN), INT32_MAX);
}

TEST(DialogEnding, OkIsOkWhateverTheOptionSet) {
    // 1 + OptionSet comes to -1 ("Run again") or -2 (a launched update) for
    // these option sets; the ending still says Ok.
    for (int32_t optionSet : {-3, -2, -1, 0, 7, INT32_MAX, INT32_MIN}) {
        SCOPED_TRACE(optionSet);
        const DialogEnd ok = EndForCommand(1, optionSet);
        EXPECT_EQ(ok.how, DialogEnding::Ok);
        EXPECT_EQ(ok.value, OkEndValue(optionSet));
        const DialogEnd cancel = EndForCommand(2, optionSet);
        EXPECT_EQ(cancel.how, DialogEnding::Cancel);
        EXPECT_EQ(cancel.value, -1);
    }
    EXPECT_EQ(UPDATE_LAUNCHED_END.value, -2);
    EXPECT_EQ(UPDATE_LAUNCHED_END.how, DialogEnding::UpdateLaunched);
    EXPECT_EQ(SYSTEM_CLOSE_END.value, 0);
    EXPECT_EQ(SYSTEM_CLOSE_END.how, DialogEnding::SystemClose);
}

}  // namespace
