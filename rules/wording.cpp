// The three lines under the options, and the result word of the record.
#include <cstring>
#include <string>

#include "control_ids.h"
#include "rules_engine.h"

namespace {

constexpr std::string_view HEADING = "The minimum illumination to comply with TSRGD 2016 is:";
constexpr std::string_view NO_DIAGRAM_HEADING = "The illumination requirement for signs with no diagram number is:";
constexpr std::string_view JUDGEMENT_NOTE =
    "but use your engineering judgement to determine whether additional illumination is needed.";
constexpr std::string_view NO_DIAGRAM_NOTE =
    "except that plates for waiting and loading, signs intended only for cyclists or pedestrians"
    " and most brown tourist signs don't legally need any illumination.";
constexpr std::string_view NOT_APPLICABLE_HEADING = "This tool is not applicable to ";

// The not-applicable heading with the row's label: on the stack, or in
// `longer` for a label longer than any that the table has.
std::string_view NotApplicableHeading(std::string_view label, char (&local)[256], std::string& longer) {
    const size_t length = NOT_APPLICABLE_HEADING.size() + label.size();
    char* joined = local;
    if (length > sizeof local) {
        longer.resize(length);
        joined = &longer[0];
    }
    std::memcpy(joined, NOT_APPLICABLE_HEADING.data(), NOT_APPLICABLE_HEADING.size());
    std::memcpy(joined + NOT_APPLICABLE_HEADING.size(), label.data(), label.size());
    return std::string_view(joined, length);
}

}  // namespace

void ComposeWording(EngineState& state, MainDialogControls& controls) {
    // The record's word: empty without a row, else the verdict's (empty
    // for not applicable), written once.
    if (state.matchedRow == 0) {
        WriteTextField(state.resultRecord.result, "");
        return;
    }
    const Rule& rule = state.Rules()[state.matchedRow];
    const int32_t verdict = EvaluateRequirement(rule.requirement, state.OptionSet());

    std::string_view heading = HEADING;
    std::string_view note = "";
    char joined[256];
    std::string longer;
    switch (verdict) {
        case VERDICT_NONE:
            note = JUDGEMENT_NOTE;
            break;
        case VERDICT_REFLECTORISED:
            if (state.matchedRow == state.Rules().count) {
                heading = NO_DIAGRAM_HEADING;
                note = NO_DIAGRAM_NOTE;
            } else {
                note = JUDGEMENT_NOTE;
            }
            break;
        case VERDICT_NOT_APPLICABLE:
            heading = NotApplicableHeading(rule.label, joined, longer);
            break;
        default:
            break;
    }
    const std::string_view word = VerdictWord(verdict);
    WriteTextField(state.resultRecord.result, word);
    controls.UpdateText(IDC_RESULT_HEADER, heading);
    controls.UpdateText(IDC_RESULT_NOTE, note);
    controls.UpdateText(IDC_RESULT, word);
}
