// The dialog's behaviour over sequences of typing and clicks, on a model of
// its controls that behaves as the real ones do.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "control_ids.h"
#include "dialog_model.h"
#include "rules_engine.h"

namespace {

constexpr int32_t MOUNTING_BITS = 0x7E;
const char STANDARD_HEADING[] = "The minimum illumination to comply with TSRGD 2016 is:";
const char JUDGEMENT_NOTE[] =
    "but use your engineering judgement to determine whether additional illumination is needed.";

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(TheRuleTable().count, 109); }
    static bool Bit(const MainDialogModel& dialog, int option) {
        return (static_cast<uint32_t>(dialog.State().OptionSet()) >> option) & 1u;
    }
    static std::string RecordResult(const MainDialogModel& dialog) { return dialog.State().resultRecord.result; }
    static void TypeKeyByKey(MainDialogModel& dialog, const std::string& text) {
        for (size_t n = 1; n <= text.size(); ++n) dialog.Type(text.substr(0, n));
    }
};

TEST_F(MainDialogTest, AZeroOptionSetShowsNormalPostsWithoutCountingIt) {
    MainDialogModel dialog("501");
    EXPECT_TRUE(dialog.Control(IDC_NORMAL_POSTS).ticked);
    EXPECT_EQ(dialog.State().OptionSet(), 0);
    EXPECT_EQ(dialog.State().resultRecord.options, 0);
    EXPECT_EQ(dialog.State().matchedRow, 1);
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "reflectorised");
}

TEST_F(MainDialogTest, InitialOptionsAreShownOnTheControls) {
    MainDialogModel dialog("", (1 << OPT_LAMP_COLUMN) | (1 << OPT_GANTRY) | (1 << OPT_20MPH) | (1 << 7) | (1 << 20));
    EXPECT_TRUE(dialog.Control(IDC_LAMP_COLUMN).ticked);
    EXPECT_TRUE(dialog.Control(IDC_GANTRY).ticked);
    EXPECT_TRUE(dialog.Control(IDC_20MPH).ticked);
    EXPECT_FALSE(dialog.Control(IDC_NORMAL_POSTS).ticked);
    EXPECT_FALSE(dialog.Control(IDC_REPEATER).ticked);
    EXPECT_FALSE(dialog.Control(IDC_RESULT_HEADER).shown);
    EXPECT_FALSE(dialog.Control(IDC_RESULT_NOTE).shown);
    EXPECT_FALSE(dialog.Control(IDC_CONDITION).shown);
    // Bits without a control stay as they are while nothing is matched.
    EXPECT_TRUE(Bit(dialog, 7));
    EXPECT_TRUE(Bit(dialog, 20));
}

// A hidden control shows no text, whatever it holds; a shown one shows its
// own. The controls are found by their places in the creation order, and
// there is no control outside it.
TEST_F(MainDialogTest, ShownTextAndTheCreationOrder) {
    MainDialogModel dialog("501");
    dialog.SetText(IDC_RESULT_NOTE, "kept while hidden");
    dialog.SetShown(IDC_RESULT_NOTE, false);
    EXPECT_EQ(dialog.ShownText(IDC_RESULT_NOTE), "");
    EXPECT_EQ(dialog.Control(IDC_RESULT_NOTE).text, "kept while hidden");
    dialog.SetShown(IDC_RESULT_NOTE, true);
    EXPECT_EQ(dialog.ShownText(IDC_RESULT_NOTE), "kept while hidden");
    EXPECT_EQ(dialog.ShownText(IDC_RESULT), "reflectorised");
    EXPECT_EQ(dialog.ShownText(12345), "");

    EXPECT_EQ(MainDialogModel::ControlId(0), IDC_DIAGRAM_NUMBER);
    EXPECT_EQ(MainDialogModel::ControlId(MainDialogModel::CONTROL_COUNT - 1), IDC_RESULT_NOTE);
    for (int slot : {-1, MainDialogModel::CONTROL_COUNT, 1000}) EXPECT_EQ(MainDialogModel::ControlId(slot), -1) << slot;
    for (int slot = 0; slot < MainDialogModel::CONTROL_COUNT; ++slot) {
        EXPECT_EQ(MainDialogModel::SlotOf(MainDialogModel::ControlId(slot)), slot);
    }
}

TEST_F(MainDialogTest, ABollardFallsBackToNormalPostsWhereItDoesNotApply) {
    MainDialogModel dialog("631");
    dialog.Click(IDC_BOLLARD);
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "internal lighting");
    dialog.Type("501");  // row 1 disables options 2, 3, 5 and 10
    EXPECT_TRUE(dialog.Control(IDC_NORMAL_POSTS).ticked);
    EXPECT_FALSE(dialog.Control(IDC_BOLLARD).ticked);
    EXPECT_FALSE(dialog.Control(IDC_BOLLARD).enabled);
    EXPECT_EQ(dialog.State().OptionSet() & MOUNTING_BITS, 1 << OPT_NORMAL_POSTS);
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "reflectorised");
}

TEST_F(MainDialogTest, ASelfRightingBollardDoesNotFallBack) {
    MainDialogModel dialog("631");
    dialog.Click(IDC_SELF_RIGHTING_BOLLARD);
    dialog.Type("501");
    for (int id = IDC_NORMAL_POSTS; id <= IDC_SIGNAL_HEAD; ++id) EXPECT_FALSE(dialog.Control(id).ticked) << id;
    EXPECT_EQ(dialog.State().OptionSet() & MOUNTING_BITS, 0);
}

TEST_F(MainDialogTest, PastingARowThatDisablesNormalPostsLeavesItTickedAndDisabled) {
    MainDialogModel dialog("631");
    dialog.Click(IDC_BOLLARD);
    dialog.Type("954.1");  // row 64 disables options 1 to 4
    EXPECT_EQ(dialog.State().matchedRow, 64);
    EXPECT_TRUE(dialog.Control(IDC_NORMAL_POSTS).ticked);
    EXPECT_FALSE(dialog.Control(IDC_NORMAL_POSTS).enabled);
    EXPECT_EQ(dialog.State().OptionSet() & MOUNTING_BITS, 1 << OPT_NORMAL_POSTS);
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "internal lighting");
}

TEST_F(MainDialogTest, TypingTheSameNumberKeyByKeyLeavesNoMountingTicked) {
    MainDialogModel dialog("631");
    dialog.Click(IDC_BOLLARD);
    dialog.Type("");
    TypeKeyByKey(dialog, "954.1");  // 954 matches row 80 on the way
    EXPECT_EQ(dialog.State().matchedRow, 64);
    for (int id = IDC_NORMAL_POSTS; id <= IDC_SIGNAL_HEAD; ++id) EXPECT_FALSE(dialog.Control(id).ticked) << id;
    EXPECT_EQ(dialog.State().OptionSet() & MOUNTING_BITS, 0);
}

TEST_F(MainDialogTest, TheSameNumberGivenAtStartWithABollardFallsBack) {
    MainDialogModel dialog("954.1", 1 << OPT_BOLLARD);
    EXPECT_TRUE(dialog.Control(IDC_NORMAL_POSTS).ticked);
    EXPECT_FALSE(dialog.Control(IDC_NORMAL_POSTS).enabled);
    EXPECT_EQ(dialog.State().OptionSet(), 1 << OPT_NORMAL_POSTS);
}

TEST_F(MainDialogTest, TheExtraBoxFollowsTheRowsLabel) {
    MainDialogModel dialog("", 1 << OPT_LAMP_COLUMN);
    EXPECT_FALSE(dialog.Control(IDC_CONDITION).shown);
    TypeKeyByKey(dialog, "652");
    const ModelControl& condition = dialog.Control(IDC_CONDITION);
    EXPECT_TRUE(condition.shown);
    EXPECT_EQ(condition.text, "Within 50m of junction from which traffic joins");
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "reflectorised");
    EXPECT_EQ(dialog.Control(IDC_RESULT_HEADER).text, STANDARD_HEADING);
    EXPECT_EQ(dialog.Control(IDC_RESULT_NOTE).text, JUDGEMENT_NOTE);
    // Row 27 rules out the mountings other than normal posts and gantry.
    EXPECT_FALSE(dialog.Control(IDC_SELF_RIGHTING_BOLLARD).enabled);
    EXPECT_TRUE(dialog.Control(IDC_GANTRY).enabled);
    EXPECT_FALSE(dialog.Control(IDC_REPEATER).enabled);

    dialog.Click(IDC_CONDITION);
    EXPECT_TRUE(Bit(dialog, OPT_CONDITION));
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "internal or external lighting");
    EXPECT_EQ(dialog.Control(IDC_RESULT_NOTE).text, "");
    EXPECT_EQ(RecordResult(dialog), "internal or external lighting");

    dialog.Type("670");  // another row with a label keeps the tick
    EXPECT_TRUE(condition.shown);
    EXPECT_TRUE(condition.ticked);
    EXPECT_EQ(condition.text, "Trunk or principal (A class) road");
    EXPECT_TRUE(Bit(dialog, OPT_CONDITION));

    dialog.Type("501");  // a row without one unticks and hides it
    EXPECT_FALSE(condition.shown);
    EXPECT_FALSE(condition.ticked);
    EXPECT_FALSE(Bit(dialog, OPT_CONDITION));
}

TEST_F(MainDialogTest, NotApplicableRowsNeverShowTheExtraBox) {
    MainDialogModel dialog("1234", 1 << OPT_CONDITION);
    EXPECT_EQ(dialog.State().matchedRow, 102);
    EXPECT_FALSE(dialog.Control(IDC_CONDITION).shown);
    EXPECT_FALSE(Bit(dialog, OPT_CONDITION));
    EXPECT_EQ(dialog.Control(IDC_RESULT_HEADER).text, "This tool is not applicable to road markings");
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "");
    EXPECT_EQ(RecordResult(dialog), "");
    for (int id : {IDC_LAMP_COLUMN, IDC_NORMAL_POSTS, IDC_GANTRY, IDC_20MPH, IDC_REPEATER})
        EXPECT_FALSE(dialog.Control(id).enabled) << id;
}

TEST_F(MainDialogTest, ANonMatchBlanksTheResultButKeepsTheOptions) {
    MainDialogModel dialog("501", 1 << OPT_LAMP_COLUMN);
    ASSERT_EQ(RecordResult(dialog), "internal or external lighting");
    dialog.Type("10000");
    EXPECT_EQ(dialog.State().matchedRow, 0);
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "");
    EXPECT_FALSE(dialog.Control(IDC_RESULT_HEADER).shown);
    EXPECT_FALSE(dialog.Control(IDC_RESULT_NOTE).shown);
    EXPECT_FALSE(dialog.Control(IDC_BOLLARD).enabled);  // as row 1 left it
    EXPECT_TRUE(dialog.Control(IDC_LAMP_COLUMN).ticked);
    // The record no longer carries row 1's word for a number that has no rule,
    // though the bytes behind the terminator stay.
    EXPECT_EQ(RecordResult(dialog), "");
    EXPECT_EQ(std::memcmp(dialog.State().resultRecord.result + 1, "nternal or external lighting", 29), 0);
    EXPECT_STREQ(dialog.State().resultRecord.diagram, "10000");
}

TEST_F(MainDialogTest, AClickWithoutARowChangesOnlyTheOptionSet) {
    MainDialogModel dialog("12");
    dialog.Click(IDC_LAMP_COLUMN);
    dialog.Click(IDC_GANTRY);
    EXPECT_EQ(dialog.State().OptionSet(), (1 << OPT_LAMP_COLUMN) | (1 << OPT_GANTRY));
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "");
    EXPECT_FALSE(dialog.Control(IDC_RESULT_HEADER).shown);
    EXPECT_EQ(RecordResult(dialog), "");
}

TEST_F(MainDialogTest, AMountingClickClearsTheWholeGroupAndBit6) {
    MainDialogModel dialog("", (1 << 6) | (1 << 7) | (1 << OPT_GANTRY));
    dialog.Click(IDC_SIGNAL_HEAD);
    EXPECT_EQ(dialog.State().OptionSet(), (1 << 7) | (1 << OPT_SIGNAL_HEAD));
    EXPECT_FALSE(dialog.Control(IDC_GANTRY).ticked);
    dialog.Click(IDC_SIGNAL_HEAD);  // clicking the ticked one again keeps it
    EXPECT_EQ(dialog.State().OptionSet(), (1 << 7) | (1 << OPT_SIGNAL_HEAD));
}

TEST_F(MainDialogTest, ADisabledMountingKeepsItsTickWhenAnotherIsClicked) {
    MainDialogModel dialog("631");
    dialog.Click(IDC_BOLLARD);
    dialog.Type("954.1");  // normal posts ticked but disabled
    dialog.Click(IDC_SIGNAL_HEAD);
    EXPECT_TRUE(dialog.Control(IDC_SIGNAL_HEAD).ticked);
    EXPECT_TRUE(dialog.Control(IDC_NORMAL_POSTS).ticked);  // the group's click passes over it
    EXPECT_EQ(dialog.State().OptionSet() & MOUNTING_BITS, 1 << OPT_SIGNAL_HEAD);
}

TEST_F(MainDialogTest, ClicksOnDisabledOrHiddenControlsDoNothing) {
    MainDialogModel dialog("501");
    dialog.Click(IDC_BOLLARD);    // disabled by row 1
    dialog.Click(IDC_CONDITION);  // hidden: row 1 has no label
    dialog.Click(IDC_REPEATER);   // disabled
    EXPECT_EQ(dialog.State().OptionSet(), 0);
    EXPECT_FALSE(dialog.Control(IDC_BOLLARD).ticked);
}

TEST_F(MainDialogTest, RowsWithBit6DisabledMoveItToNormalPosts) {
    MainDialogModel dialog(
        "1234", 1 << 6);  // a bit without a control, only from the command line  // row 102 disables options 0 to 10
    EXPECT_EQ(dialog.State().OptionSet(), 1 << OPT_NORMAL_POSTS);
    EXPECT_TRUE(dialog.Control(IDC_NORMAL_POSTS).ticked);
    EXPECT_FALSE(dialog.Control(IDC_NORMAL_POSTS).enabled);
}

TEST_F(MainDialogTest, NoneSelectsTheLastRowAndUntickingMatchesTheTextAgain) {
    MainDialogModel dialog("642");
    dialog.Click(IDC_NONE);
    EXPECT_FALSE(dialog.Control(IDC_DIAGRAM_NUMBER).enabled);
    EXPECT_EQ(dialog.Control(IDC_DIAGRAM_NUMBER).text, "642");
    EXPECT_EQ(dialog.State().matchedRow, 109);
    EXPECT_EQ(dialog.Control(IDC_RESULT_HEADER).text,
              "The illumination requirement for signs with no diagram number is:");
    EXPECT_EQ(dialog.Control(IDC_RESULT_NOTE).text,
              "except that plates for waiting and loading, signs intended only for cyclists or pedestrians"
              " and most brown tourist signs don't legally need any illumination.");
    EXPECT_EQ(dialog.Control(IDC_CONDITION).text, "Motorway");
    EXPECT_STREQ(dialog.State().resultRecord.diagram, "642");

    dialog.Click(IDC_NONE);
    EXPECT_TRUE(dialog.Control(IDC_DIAGRAM_NUMBER).enabled);
    EXPECT_EQ(dialog.State().matchedRow, 18);
    EXPECT_FALSE(dialog.Control(IDC_CONDITION).shown);
}

TEST_F(MainDialogTest, UntickingNoneWithAnEmptyBoxShowsNoRule) {
    MainDialogModel dialog("");
    dialog.Click(IDC_NONE);
    ASSERT_EQ(dialog.State().matchedRow, 109);
    dialog.Click(IDC_NONE);
    EXPECT_EQ(dialog.State().matchedRow, 0);
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "");
    EXPECT_FALSE(dialog.Control(IDC_RESULT_HEADER).shown);
}

TEST_F(MainDialogTest, TheLastRowIsWordedAsNoneOnlyWhenReflectorised) {
    MainDialogModel dialog(
        "8123", (1 << OPT_LAMP_COLUMN) | (1 << OPT_GANTRY) | (1 << OPT_CONDITION));  // falls through to the last row
    EXPECT_EQ(dialog.State().matchedRow, 109);
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "internal or external lighting");
    EXPECT_EQ(dialog.Control(IDC_RESULT_HEADER).text, STANDARD_HEADING);
    EXPECT_EQ(dialog.Control(IDC_RESULT_NOTE).text, "");
    dialog.Click(IDC_CONDITION);
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "reflectorised");
    EXPECT_EQ(dialog.Control(IDC_RESULT_HEADER).text,
              "The illumination requirement for signs with no diagram number is:");
}

TEST_F(MainDialogTest, TheBollardCaptionFollowsTheRow) {
    MainDialogModel dialog("606");
    EXPECT_EQ(dialog.Control(IDC_BOLLARD).text, "other type of bollard");
    dialog.Type("501");  // captioned even though disabled
    EXPECT_EQ(dialog.Control(IDC_BOLLARD).text, "internally illuminated bollard");
    dialog.Type("12");  // no row: the caption stays
    EXPECT_EQ(dialog.Control(IDC_BOLLARD).text, "internally illuminated bollard");
}

TEST_F(MainDialogTest, ControlsAreWrittenOnlyWhereTheyChange) {
    MainDialogModel dialog("");
    for (int32_t row = 1; row <= TheRuleTable().count; ++row) {
        std::string text = TheRuleTable()[row].pattern;
        for (char& c : text) c = c == 'x' || c == '*' ? '0' : c;
        TypeKeyByKey(dialog, text);
        dialog.Click(IDC_LAMP_COLUMN);
        dialog.Click(row % 2 ? IDC_GANTRY : IDC_BOLLARD);
        dialog.Click(IDC_CONDITION);
        dialog.Click(IDC_NONE);
        dialog.Click(IDC_NONE);
        EXPECT_EQ(dialog.NeedlessWrites(), 0) << text;
        // The same text again writes nothing at all.
        const int writes = dialog.Writes();
        dialog.Type(text);
        EXPECT_EQ(dialog.Writes(), writes) << text;
    }
    EXPECT_GT(dialog.Writes(), 0);
    // The count would see a needless write.
    dialog.SetText(IDC_RESULT, dialog.Control(IDC_RESULT).text);
    EXPECT_EQ(dialog.NeedlessWrites(), 1);
}

TEST_F(MainDialogTest, AShowingAgainStartsFromTheControlsAsCreated) {
    MainDialogModel dialog("652", 1 << OPT_LAMP_COLUMN);
    dialog.Click(IDC_CONDITION);
    dialog.Click(IDC_NONE);
    dialog.ResetState(0);
    dialog.Show("501");
    EXPECT_EQ(dialog.State().matchedRow, 1);
    EXPECT_FALSE(dialog.Control(IDC_NONE).ticked);
    EXPECT_TRUE(dialog.Control(IDC_DIAGRAM_NUMBER).enabled);
    EXPECT_FALSE(dialog.Control(IDC_CONDITION).ticked);
    EXPECT_FALSE(dialog.Control(IDC_CONDITION).shown);
    EXPECT_TRUE(dialog.Control(IDC_NORMAL_POSTS).ticked);  // option set 0: shown as the usual mounting
    EXPECT_EQ(dialog.Control(IDC_LAMP_COLUMN).text, "Within 50m of a lamp column");
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "reflectorised");
    EXPECT_EQ(dialog.NeedlessWrites(), 0);
}

TEST_F(MainDialogTest, AShowingAgainWithoutAResetStartsWithTheTicksTheLastOneLeft) {
    // As "Run again" shows the dialog once more in the same run.
    MainDialogModel dialog("652-extra", 1 << OPT_LAMP_COLUMN);
    dialog.Click(IDC_CONDITION);
    dialog.Click(IDC_GANTRY);
    const int32_t left = (1 << OPT_LAMP_COLUMN) | (1 << OPT_GANTRY) | (1 << OPT_CONDITION);
    ASSERT_EQ(dialog.State().OptionSet(), left);
    dialog.Show("670");  // row 40 has a label too: the extra box keeps its tick
    EXPECT_EQ(dialog.State().matchedRow, 40);
    EXPECT_EQ(dialog.State().OptionSet(), left);
    for (int id : {IDC_LAMP_COLUMN, IDC_GANTRY, IDC_CONDITION}) EXPECT_TRUE(dialog.Control(id).ticked) << id;
    EXPECT_FALSE(dialog.Control(IDC_NORMAL_POSTS).ticked);
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "internal or external lighting");
    // The record is the same one: the longer text typed before leaves its
    // tail behind the terminator.
    EXPECT_EQ(std::string(dialog.State().resultRecord.diagram, 8), std::string("670\0ext\0", 8));
}

TEST_F(MainDialogTest, ATextLongerThanAnyTypedIsMatchedWhole) {
    MainDialogModel dialog(std::string(300, ' ') + "652" + std::string(300, ' '));
    EXPECT_EQ(dialog.State().matchedRow, 27);
    EXPECT_STREQ(dialog.State().resultRecord.diagram, "       ");
    dialog.Type(std::string(400, '6'));
    EXPECT_EQ(dialog.State().matchedRow, 0);
    dialog.Type("<" + std::string(1000, '-') + "953>");
    EXPECT_EQ(dialog.State().matchedRow, 109);  // ".....953": no prefix fits, value 0
}

TEST_F(MainDialogTest, WithAnEmptyTableNothingEverMatches) {
    RuleTable empty;
    ParseRuleTable("", empty);
    MainDialogModel dialog;
    dialog.State() = EngineState(empty);
    dialog.Show("501");
    EXPECT_EQ(dialog.State().matchedRow, 0);
    dialog.Click(IDC_NONE);
    EXPECT_EQ(dialog.State().matchedRow, 0);
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "");
    EXPECT_FALSE(dialog.Control(IDC_RESULT_HEADER).shown);
    dialog.Click(IDC_LAMP_COLUMN);
    EXPECT_EQ(dialog.State().OptionSet(), 1 << OPT_LAMP_COLUMN);
}

}  // namespace
