// The rules engine's steps: matching a typed number, applying the matched
// row to the options, evaluating the requirement and wording it. The steps
// of a dialog work on the EngineState of their user, passed to each.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine_state.h"
#include "main_dialog_controls.h"
#include "rule_table.h"

enum : int32_t {
    VERDICT_NOT_APPLICABLE = -1,
    VERDICT_NONE = 0,
    VERDICT_REFLECTORISED = 1,
    VERDICT_LIT = 2,
    VERDICT_INTERNAL = 3,
    VERDICT_REFER = 4,
};

// Trims spaces, upper-cases, turns "-" into "." and drops "<" and ">".
std::string NormaliseDiagramText(std::string_view typed);

// The same into `out`, which has room for typed.size() bytes and may be
// typed's own bytes; returns the normalised length.
size_t NormaliseDiagramText(std::string_view typed, char* out);

// The first row of `table` that accepts the normalised text, 0 for none.
int32_t FindMatchingRow(const RuleTable& table, std::string_view normalised);

// Evaluates a row's requirement flags against an option set.
int32_t EvaluateRequirement(uint32_t requirement, int32_t optionSet);

// The result word of a verdict ("" for VERDICT_NOT_APPLICABLE).
const char* VerdictWord(int32_t verdict);

// Dialog initialisation: hides the heading, note and extra tick box, shows
// the option set on the option controls and posts the change notification
// that matches the initial text once the dialog runs.
void InitialiseMainDialogControls(EngineState& state, MainDialogControls& controls);

// A change of the diagram-number box: records the typed text, matches it and
// applies the matched row.
void OnDiagramTextChanged(EngineState& state, MainDialogControls& controls);

// A command from the "none" tick box, with its tick state.
void OnNoneToggled(EngineState& state, MainDialogControls& controls, bool ticked);

// Applies the matched row: enables and clears options, captions the bollard
// option and the extra tick box, then words the verdict.
void ApplyRule(EngineState& state, MainDialogControls& controls);

// A click notification from an option control, with its tick after the click.
void OnOptionClicked(EngineState& state, MainDialogControls& controls, int id, bool ticked);

// Evaluates the matched row and writes the three lines and the result word.
void ComposeWording(EngineState& state, MainDialogControls& controls);

// The verdict of the matched row for the current option set; valid only
// while a row is matched.
int32_t MatchedVerdict(const EngineState& state);
