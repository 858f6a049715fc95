// A model of the main dialog's controls that behaves as the real ones do,
// for the command-line tool and the tests: a user click on an auto radio
// button ticks it and unticks the other buttons of its group that are enabled
// and shown (a disabled one keeps its tick); a tick set from code changes that
// control alone; a click on a disabled or hidden control does nothing. Each
// model owns its engine state, as each showing of the real dialog does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "control_ids.h"
#include "engine_state.h"
#include "main_dialog_controls.h"

struct ModelControl {
    enum Kind { LABEL, EDIT, CHECK_BOX, RADIO_BUTTON };
    Kind kind = LABEL;
    std::string text;
    bool ticked = false;
    bool enabled = true;
    bool shown = true;
};

class MainDialogModel : public MainDialogControls {
public:
    // A fresh showing with a fresh engine state, as the program shows
    // DIAGRAM /Q OPTIONS first: the controls as created, then the dialog's
    // initialisation, then the posted first matching of `initialNumber`.
    explicit MainDialogModel(std::string_view initialNumber, int32_t optionSet = 0);

    // A model whose dialog is not shown yet, with a fresh engine state:
    // Show() creates the controls.
    MainDialogModel() = default;

    // Another showing in the same object, as the constructor does, with the
    // engine state that the last one left (its ticks are shown again, as
    // after "Run again"); the controls' texts keep their storage, so a tool
    // that shows the dialog for every line of its input allocates nothing
    // per line.
    void Show(std::string_view initialNumber);

    // The engine state as a new process has it, with `optionSet`, for the
    // next showing; the rule table stays.
    void ResetState(int32_t optionSet) {
        state_.matchedRow = 0;
        state_.resultRecord = ResultRecord{};
        state_.OptionSet() = optionSet;
    }

    // The match, the option set and the record of this model's showings.
    EngineState& State() { return state_; }
    const EngineState& State() const { return state_; }

    // User actions; each is followed by whatever it posted.
    void Type(std::string_view text);  // the box's text becomes `text`
    void Click(int id);

    // A control of the dialog; an id that the dialog does not have gives an
    // empty label.
    const ModelControl& Control(int id) const {
        const int slot = SlotOf(id);
        return slot < 0 ? Absent() : controls_[slot];
    }
    // The text that a control shows: its text, or none while it is hidden.
    std::string_view ShownText(int id) const {
        const ModelControl& control = Control(id);
        return control.shown ? std::string_view(control.text) : std::string_view();
    }

    // Changes made from code since the showing began, and how many of them
    // set what the control already had.
    int Writes() const { return writes_; }
    int NeedlessWrites() const { return needlessWrites_; }

    // MainDialogControls
    size_t Text(int id, char* buffer, size_t capacity) override;
    bool HasText(int id, std::string_view text) override;
    bool IsTicked(int id) override;
    bool IsEnabled(int id) override;
    bool IsShown(int id) override;
    void SetText(int id, std::string_view text) override;
    void SetTicked(int id, bool ticked) override;
    void SetEnabled(int id, bool enabled) override;
    void SetShown(int id, bool shown) override;
    void PostDiagramTextChanged() override;

    static constexpr int CONTROL_COUNT = 14;

    // The id of the control at `slot` of the dialog's creation order (0 to
    // CONTROL_COUNT - 1); -1 outside it.
    static int ControlId(int slot);

    // Where a control is kept: its place in the dialog's creation order,
    // -1 for an id that the dialog does not have.
    static constexpr int SlotOf(int id) {
        switch (id) {
            case IDC_DIAGRAM_NUMBER:
                return 0;
            case IDC_NONE:
                return 1;
            case IDC_LAMP_COLUMN:
            case IDC_NORMAL_POSTS:
            case IDC_SELF_RIGHTING_BOLLARD:
            case IDC_BOLLARD:
            case IDC_GANTRY:
            case IDC_SIGNAL_HEAD:
                return 2 + (id - IDC_LAMP_COLUMN);
            case IDC_20MPH:
            case IDC_REPEATER:
            case IDC_CONDITION:
                return 8 + (id - IDC_20MPH);
            case IDC_RESULT:
            case IDC_RESULT_HEADER:
            case IDC_RESULT_NOTE:
                return 11 + (id - IDC_RESULT);
            default:
                return -1;
        }
    }

private:
    static const ModelControl& Absent();
    ModelControl* Find(int id) {
        const int slot = SlotOf(id);
        return slot < 0 ? nullptr : &controls_[slot];
    }
    void RunPosted();
    void CountWrite(bool changed);

    EngineState state_;
    ModelControl controls_[CONTROL_COUNT];
    int postedTextChanges_ = 0;
    int writes_ = 0;
    int needlessWrites_ = 0;
};
