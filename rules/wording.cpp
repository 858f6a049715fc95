// The three lines under the options, and the result word of the record.
#include "control_ids.h"
#include "result_record.h"
#include "rules_engine.h"

namespace {

const char HEADING[] = "The minimum illumination to comply with TSRGD 2016 is:";
const char NO_DIAGRAM_HEADING[] = "The illumination requirement for signs with no diagram number is:";
const char JUDGEMENT_NOTE[] =
    "but use your engineering judgement to determine whether additional illumination is needed.";
const char NO_DIAGRAM_NOTE[] =
    "except that plates for waiting and loading, signs intended only for cyclists or pedestrians"
    " and most brown tourist signs don't legally need any illumination.";
const char NOT_APPLICABLE_HEADING[] = "This tool is not applicable to ";

}  // namespace

void ComposeWording(MainDialogControls& controls) {
    WriteTextField(TheResultRecord.result, "");
    if (MatchedRow == 0) return;
    const Rule& rule = TheRuleTable[MatchedRow];
    const int32_t verdict = EvaluateRequirement(rule.requirement, OptionSet);

    std::string heading = HEADING;
    std::string note;
    switch (verdict) {
        case VERDICT_NONE:
            note = JUDGEMENT_NOTE;
            break;
        case VERDICT_REFLECTORISED:
            if (MatchedRow == TheRuleTable.count) {
                heading = NO_DIAGRAM_HEADING;
                note = NO_DIAGRAM_NOTE;
            } else {
                note = JUDGEMENT_NOTE;
            }
            break;
        case VERDICT_NOT_APPLICABLE:
            heading = NOT_APPLICABLE_HEADING + rule.label;
            break;
        default:
            break;
    }
    WriteTextField(TheResultRecord.result, VerdictWord(verdict));
    controls.SetText(IDC_RESULT_HEADER, heading);
    controls.SetText(IDC_RESULT_NOTE, note);
    controls.SetText(IDC_RESULT, VerdictWord(verdict));
}
