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

constexpr bool InMountingGroup(int option) { return option >= MOUNTING_GROUP_FIRST && option <= MOUNTING_GROUP_LAST; }

constexpr uint32_t MountingGroupBits() {
    uint32_t bits = 0;
    for (int option = MOUNTING_GROUP_FIRST; option <= MOUNTING_GROUP_LAST; ++option) bits |= Bit(option);
    return bits;
}

constexpr std::string_view OTHER_BOLLARD = "other type of bollard";
constexpr std::string_view ILLUMINATED_BOLLARD = "internally illuminated bollard";

}  // namespace

void InitialiseMainDialogControls(MainDialogControls& controls) {
    controls.UpdateShown(IDC_RESULT_HEADER, false);
    controls.UpdateShown(IDC_RESULT_NOTE, false);
    controls.UpdateShown(IDC_CONDITION, false);
    if (OptionSet != 0) {
        for (int option = OPT_FIRST; option <= OPT_LAST; ++option) {
            if (OptionHasControl(option) && OptionBit(option)) controls.UpdateTicked(IDC_OPTION_BASE + option, true);
        }
    } else {
        // Shown as the usual mounting, but not counted until chosen.
        controls.UpdateTicked(IDC_NORMAL_POSTS, true);
    }
    controls.PostDiagramTextChanged();
}

void ApplyRule(MainDialogControls& controls) {
    if (MatchedRow == 0) {
        controls.UpdateText(IDC_RESULT, "");
        controls.UpdateShown(IDC_RESULT_HEADER, false);
        controls.UpdateShown(IDC_RESULT_NOTE, false);
        // A number that matches nothing has no requirement: the record must
        // not carry the previous number's word.
        WriteTextField(TheResultRecord.result, "");
        return;
    }
    const Rule& rule = TheRuleTable[MatchedRow];
    controls.UpdateShown(IDC_RESULT_HEADER, true);
    controls.UpdateShown(IDC_RESULT_NOTE, true);
    controls.UpdateText(IDC_BOLLARD, HasBit(rule.requirement, REQ_OTHER_BOLLARD) ? OTHER_BOLLARD : ILLUMINATED_BOLLARD);

    // The bits are kept in a local word and stored once: nothing that the
    // controls do in between reads them.
    const uint32_t disabledOptions = rule.disabledOptions;
    uint32_t options = static_cast<uint32_t>(OptionSet);
    for (int option = OPT_FIRST; option <= OPT_LAST; ++option) {
        const bool disabled = HasBit(disabledOptions, option);
        const bool hasControl = OptionHasControl(option);
        if (disabled) {
            // A mounting that does not apply falls back to normal posts
            // (a self-righting bollard does not).
            if (option >= OPT_BOLLARD && InMountingGroup(option) && HasBit(options, option)) {
                controls.UpdateTicked(IDC_NORMAL_POSTS, true);
                options |= Bit(OPT_NORMAL_POSTS);
            }
            if (hasControl) controls.UpdateTicked(IDC_OPTION_BASE + option, false);
            options &= ~Bit(option);
        }
        if (hasControl) controls.UpdateEnabled(IDC_OPTION_BASE + option, !disabled);
    }
    OptionSet = static_cast<int32_t>(options);

    if (!rule.label.empty() && !HasBit(rule.requirement, REQ_NOT_APPLICABLE)) {
        controls.UpdateText(IDC_CONDITION, rule.label);
        controls.UpdateShown(IDC_CONDITION, true);
    } else {
        controls.UpdateTicked(IDC_CONDITION, false);
        controls.UpdateShown(IDC_CONDITION, false);
        SetOptionBit(OPT_CONDITION, false);
    }
    ComposeWording(controls);
}

void OnOptionClicked(MainDialogControls& controls, int id, bool ticked) {
    const int option = id - IDC_OPTION_BASE;
    if (option < OPT_FIRST || option > OPT_LAST) return;
    if (InMountingGroup(option)) {
        OptionSet = static_cast<int32_t>(static_cast<uint32_t>(OptionSet) & ~MountingGroupBits());
        SetOptionBit(option, true);
    } else {
        SetOptionBit(option, ticked);
    }
    if (MatchedRow != 0) ComposeWording(controls);
}
