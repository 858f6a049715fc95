// The main dialog at work: typing, ticking and the rows' effects on the
// options, read back from the controls and from the result message.
#include "scenario_support.h"

namespace {
const char* const kJunction = "Within 50m of junction from which traffic joins";
}

// 652 typed key by key near a lamp column; the extra box appears and its
// tick changes the verdict.
E2E_SCENARIO(typing_652_key_by_key) {
    ChildProcess child;
    if (!StartBrantle(child, "/S /Q 1 /H " + OwnerArgument())) return;
    HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "the main dialog");
    if (!main) return;
    ExpectedRecord record;
    TypeKeys(main, IDC_DIAGRAM_NUMBER, "6");
    Settle(main);
    CheckLines(main, "", "", "", "after 6");
    TypeKeys(main, IDC_DIAGRAM_NUMBER, "5");
    Settle(main);
    CheckText(EditText(main, IDC_DIAGRAM_NUMBER), "65", "the text box holds 65");
    CheckLines(main, "", "", "", "after 65");
    CheckCondition(main, "", false, "after 65");
    TypeKeys(main, IDC_DIAGRAM_NUMBER, "2");
    Settle(main);
    CheckText(EditText(main, IDC_DIAGRAM_NUMBER), "652", "the text box holds 652");
    CheckLines(main, kHeading, "reflectorised", kNoteJudgement, "after 652");
    CheckCondition(main, kJunction, false, "after 652");
    CheckEnabledOptions(main, {0, 1, 4, 9}, "row 652 disables the bollards, the signal head and the repeater");
    CheckText(ControlText(main, IDC_BOLLARD), "internally illuminated bollard", "the bollard option's caption");
    record.Diagram("652").Result("reflectorised");
    Click(main, IDC_CONDITION);
    Settle(main);
    CheckLines(main, kHeading, "internal or external lighting", "", "with the junction ticked");
    SaveScreenshot(main, "main-dialog");
    CheckAgainstReference(main, "main-dialog");
    Click(main, IDOK);
    record.Options(1 | 1 << 11).Result("internal or external lighting");
    ExpectExit(child, main, 1 | 1 << 11, "the exit code holds the lamp column and the extra box");
    CheckRecordCount(1, "one result message");
    CheckRecord(0, record, "the result message holds 652, the options and the lighting word");
}

// "none" ticked and unticked.
E2E_SCENARIO(none_ticked_and_unticked) {
    ChildProcess child;
    if (!StartBrantle(child, "642 /S /H " + OwnerArgument())) return;
    HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "the main dialog");
    if (!main) return;
    Settle(main);
    CheckLines(main, kHeading, "reflectorised", kNoteJudgement, "642");
    CheckEnabledOptions(main, {0, 1, 2, 3, 4, 9, 10}, "row 642 disables only the signal head");
    Click(main, IDC_NONE);
    Settle(main);
    Check(!IsEnabled(main, IDC_DIAGRAM_NUMBER), "ticking none disables the text box");
    CheckText(EditText(main, IDC_DIAGRAM_NUMBER), "642", "the text box keeps its text");
    CheckLines(main, kHeadingNoNumber, "reflectorised", kNoteNoNumber, "a sign without a number");
    CheckCondition(main, "Motorway", false, "a sign without a number");
    CheckEnabledOptions(main, {0, 1, 4}, "the last row disables mountings, 20 mph and the repeater");
    CheckAgainstReference(main, "main-dialog-none");
    Click(main, IDC_NONE);
    Settle(main);
    Check(IsEnabled(main, IDC_DIAGRAM_NUMBER), "unticking none enables the text box");
    CheckLines(main, kHeading, "reflectorised", kNoteJudgement, "642 again");
    CheckCondition(main, "", false, "642 again");
    CheckEnabledOptions(main, {0, 1, 2, 3, 4, 9, 10}, "row 642 applies again");
    Click(main, IDOK);
    ExpectExit(child, main, 0, "exit code 0");
    CheckRecord(0, ExpectedRecord().Diagram("642").Options(0).Result("reflectorised"),
                "the result message holds 642, 0 and reflectorised");
}

// Rows that rule options out, a selection moved to normal post(s), and a
// number that the tool does not apply to.
E2E_SCENARIO(rows_disable_options) {
    ChildProcess child;
    if (!StartBrantle(child, "501 /S /H " + OwnerArgument())) return;
    HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "the main dialog");
    if (!main) return;
    ExpectedRecord record;
    Settle(main);
    CheckEnabledOptions(main, {0, 1, 4, 9},
                        "501 disables the self-righting bollard, the bollard, the signal head and the repeater");
    record.Diagram("501").Result("reflectorised");

    SetEditText(main, IDC_DIAGRAM_NUMBER, "631");
    Settle(main);
    CheckEnabledOptions(main, {0, 1, 2, 3, 4, 9}, "631 enables the bollards again");
    CheckLines(main, kHeading, "none", kNoteJudgement, "631");
    record.Diagram("631").Result("none");
    Click(main, IDC_BOLLARD);
    Settle(main);
    CheckTickedOptions(main, {3}, "clicking the bollard selects it alone");
    CheckLines(main, kHeading, "internal lighting", "", "631 on a bollard");
    record.Options(1 << 3).Result("internal lighting");

    SetEditText(main, IDC_DIAGRAM_NUMBER, "501");
    Settle(main);
    CheckTickedOptions(main, {1}, "501 moves the selection to normal post(s)");
    CheckLines(main, kHeading, "reflectorised", kNoteJudgement, "501 again");
    record.Diagram("501").Options(1 << 1).Result("reflectorised");

    SetEditText(main, IDC_DIAGRAM_NUMBER, "1234");
    Settle(main);
    CheckEnabledOptions(main, {}, "1234 disables every option");
    CheckTickedOptions(main, {}, "1234 clears every option");
    CheckLines(main, "This tool is not applicable to road markings", "", "", "1234");
    CheckCondition(main, "", false, "1234");
    record.Diagram("1234").Options(0).Result("");
    Click(main, IDOK);
    ExpectExit(child, main, 0, "exit code 0");
    CheckRecord(0, record, "the result message: 1234, no options, an empty word with leftovers behind it");
}

// A number longer than the record's field.
E2E_SCENARIO(long_number_is_cut_in_the_record) {
    ChildProcess child;
    if (!StartBrantle(child, "/S /H " + OwnerArgument())) return;
    HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "the main dialog");
    if (!main) return;
    SetEditText(main, IDC_DIAGRAM_NUMBER, "642.2511");
    Settle(main);
    CheckLines(main, kHeading, "none", kNoteJudgement, "642.2511 matches 642.2*");
    Click(main, IDOK);
    ExpectExit(child, main, 0, "exit code 0");
    CheckRecord(0, ExpectedRecord().Diagram("642.2511").Options(0).Result("none"),
                "the record keeps the first 7 characters");
}
