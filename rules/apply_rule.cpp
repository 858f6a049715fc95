// Keeping the option controls and the option set consistent with the
// matched row, and following the user's clicks.
#include "control_ids.h"
#include "rules_engine.h"

namespace {

void SetOptionBit(EngineState& state, int option, bool set) {
    uint32_t bits = static_cast<uint32_t>(state.OptionSet());
    bits = set ? bits | Bit(option) : bits & ~Bit(option);
    state.OptionSet() = static_cast<int32_t>(bits);
}

bool OptionBit(const EngineState& state, int option) {
    return HasBit(static_cast<uint32_t>(state.OptionSet()), option);
}

constexpr bool InMountingGroup(int option) { return option >= MOUNTING_GROUP_FIRST && option <= MOUNTING_GROUP_LAST; }

constexpr uint32_t MountingGroupBits() {
    uint32_t bits = 0;
    for (int option = MOUNTING_GROUP_FIRST; option <= MOUNTING_GROUP_LAST; ++option) bits |= Bit(option);
    return bits;
}

constexpr std::string_view OTHER_BOLLARD = "other type of bollard";
constexpr std::string_view ILLUMINATED_BOLLARD = "internally illuminated bollard";

}  // namespace

void InitialiseMainDialogControls(EngineState& state, MainDialogControls& controls) {
    controls.UpdateShown(IDC_RESULT_HEADER, false);
    controls.UpdateShown(IDC_RESULT_NOTE, false);
    controls.UpdateShown(IDC_CONDITION, false);
    if (state.OptionSet() != 0) {
        for (int option = OPT_FIRST; option <= OPT_LAST; ++option) {
            if (OptionHasControl(option) && OptionBit(state, option))
                controls.UpdateTicked(IDC_OPTION_BASE + option, true);
        }
    } else {
        // Shown as the usual mounting, but not counted until chosen.
        controls.UpdateTicked(IDC_NORMAL_POSTS, true);
    }
    controls.PostDiagramTextChanged();
}

void ApplyRule(EngineState& state, MainDialogControls& controls) {
    if (state.matchedRow == 0) {
        controls.UpdateText(IDC_RESULT, "");
        controls.UpdateShown(IDC_RESULT_HEADER, false);
        controls.UpdateShown(IDC_RESULT_NOTE, false);
        // A number that matches nothing has no requirement: the record must
        // not carry the previous number's word.
        WriteTextField(state.resultRecord.result, "");
        return;
    }
    const Rule& rule = state.Rules()[state.matchedRow];
    controls.UpdateShown(IDC_RESULT_HEADER, true);
    controls.UpdateShown(IDC_RESULT_NOTE, true);
    controls.UpdateText(IDC_BOLLARD, HasBit(rule.requirement, REQ_OTHER_BOLLARD) ? OTHER_BOLLARD : ILLUMINATED_BOLLARD);

    // The bits are kept in a local word and stored once: nothing that the
    // controls do in between reads them.
    const uint32_t disabledOptions = rule.disabledOptions;
    uint32_t options = static_cast<uint32_t>(state.OptionSet());
    for (int option = OPT_FIRST; option <= OPT_LAST; ++option) {
        // Each branch knows its option's state, so nothing about it needs
        // keeping across the calls to the controls.
        if (HasBit(disabledOptions, option)) {
            // A mounting that does not apply falls back to normal posts
            // (a self-righting bollard does not).
            if (option >= OPT_BOLLARD && InMountingGroup(option) && HasBit(options, option)) {
                controls.UpdateTicked(IDC_NORMAL_POSTS, true);
                options |= Bit(OPT_NORMAL_POSTS);
            }
            options &= ~Bit(option);
            if (OptionHasControl(option)) {
                controls.UpdateTicked(IDC_OPTION_BASE + option, false);
                controls.UpdateEnabled(IDC_OPTION_BASE + option, false);
            }
        } else if (OptionHasControl(option)) {
            controls.UpdateEnabled(IDC_OPTION_BASE + option, true);
        }
    }
    state.OptionSet() = static_cast<int32_t>(options);

    if (!rule.label.empty() && !HasBit(rule.requirement, REQ_NOT_APPLICABLE)) {
        controls.UpdateText(IDC_CONDITION, rule.label);
        controls.UpdateShown(IDC_CONDITION, true);
    } else {
        controls.UpdateTicked(IDC_CONDITION, false);
        controls.UpdateShown(IDC_CONDITION, false);
        SetOptionBit(state, OPT_CONDITION, false);
    }
    ComposeWording(state, controls);
}

void OnOptionClicked(EngineState& state, MainDialogControls& controls, int id, bool ticked) {
    const int option = id - IDC_OPTION_BASE;
    if (option < OPT_FIRST || option > OPT_LAST) return;
    if (InMountingGroup(option)) {
        state.OptionSet() = static_cast<int32_t>(static_cast<uint32_t>(state.OptionSet()) & ~MountingGroupBits());
        SetOptionBit(state, option, true);
    } else {
        SetOptionBit(state, option, ticked);
    }
    if (state.matchedRow != 0) ComposeWording(state, controls);
}
