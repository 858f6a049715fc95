// Keeping the option controls and the option set consistent with the
// matched row, and following the user's clicks.
#include "control_ids.h"
#include "result_record.h"
#include "rules_engine.h"

namespace {

void SetOptionBit(int option, bool set) {
    uint32_t bits = static_cast<uint32_t>(OptionSet);
    bits = set ? bits | Bit(option) : bits & ~Bit(option);
    OptionSet = static_cast<int32_t>(bits);
}

bool OptionBit(int option) { return HasBit(static_cast<uint32_t>(OptionSet), option); }

constexpr uint32_t MOUNTING_GROUP_BITS = 0x7Eu;  // bits 1 to 6

}  // namespace

void InitialiseMainDialogControls(MainDialogControls& controls) {
    controls.SetShown(IDC_RESULT_HEADER, false);
    controls.SetShown(IDC_RESULT_NOTE, false);
    controls.SetShown(IDC_CONDITION, false);
    if (OptionSet != 0) {
        for (int option = 0; option <= 11; ++option) {
            if (OptionHasControl(option) && OptionBit(option)) controls.SetTicked(IDC_OPTION_BASE + option, true);
        }
    } else {
        // Shown as the usual mounting, but not counted until chosen.
        controls.SetTicked(IDC_NORMAL_POSTS, true);
    }
    controls.PostDiagramTextChanged();
}

void ApplyRule(MainDialogControls& controls) {
    if (MatchedRow == 0) {
        controls.SetText(IDC_RESULT, "");
        controls.SetShown(IDC_RESULT_HEADER, false);
        controls.SetShown(IDC_RESULT_NOTE, false);
        // A number that matches nothing has no requirement: the record must
        // not carry the previous number's word.
        WriteTextField(TheResultRecord.result, "");
        return;
    }
    const Rule& rule = TheRuleTable[MatchedRow];
    controls.SetShown(IDC_RESULT_HEADER, true);
    controls.SetShown(IDC_RESULT_NOTE, true);
    controls.SetText(IDC_BOLLARD, HasBit(rule.requirement, REQ_OTHER_BOLLARD) ? "other type of bollard"
                                                                              : "internally illuminated bollard");

    for (int option = 0; option <= 11; ++option) {
        const bool disabled = HasBit(rule.disabledOptions, option);
        if (disabled) {
            // A mounting that does not apply falls back to normal posts
            // (a self-righting bollard does not).
            if (option >= 3 && option <= 6 && OptionBit(option)) {
                controls.SetTicked(IDC_NORMAL_POSTS, true);
                SetOptionBit(OPT_NORMAL_POSTS, true);
            }
            if (OptionHasControl(option)) controls.SetTicked(IDC_OPTION_BASE + option, false);
            SetOptionBit(option, false);
        }
        if (OptionHasControl(option)) controls.SetEnabled(IDC_OPTION_BASE + option, !disabled);
    }

    if (!rule.label.empty() && !HasBit(rule.requirement, REQ_NOT_APPLICABLE)) {
        controls.SetText(IDC_CONDITION, rule.label);
        controls.SetShown(IDC_CONDITION, true);
    } else {
        controls.SetTicked(IDC_CONDITION, false);
        controls.SetShown(IDC_CONDITION, false);
        SetOptionBit(OPT_CONDITION, false);
    }
    ComposeWording(controls);
}

void OnOptionClicked(MainDialogControls& controls, int id, bool ticked) {
    const int option = id - IDC_OPTION_BASE;
    if (option < 0 || option > 11) return;
    if (option >= 1 && option <= 6) {
        OptionSet = static_cast<int32_t>(static_cast<uint32_t>(OptionSet) & ~MOUNTING_GROUP_BITS);
        SetOptionBit(option, true);
    } else {
        SetOptionBit(option, ticked);
    }
    if (MatchedRow != 0) ComposeWording(controls);
}
