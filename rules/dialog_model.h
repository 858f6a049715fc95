// A model of the main dialog's controls that behaves as the real ones do,
// for the command-line tool and the tests: a user click on an auto radio
// button ticks it and unticks the other buttons of its group that are enabled
// and shown (a disabled one keeps its tick); a tick set from code changes that
// control alone; a click on a disabled or hidden control does nothing.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>

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
    // A fresh showing: the controls as created, then the dialog's
    // initialisation, then the posted first matching of `initialNumber`.
    explicit MainDialogModel(const std::string& initialNumber);

    // User actions; each is followed by whatever it posted.
    void Type(const std::string& text);  // the box's text becomes `text`
    void Click(int id);

    const ModelControl& Control(int id) const { return controls_.at(id); }

    // MainDialogControls
    std::string Text(int id) override;
    void SetText(int id, const std::string& text) override;
    bool IsTicked(int id) override;
    void SetTicked(int id, bool ticked) override;
    void SetEnabled(int id, bool enabled) override;
    void SetShown(int id, bool shown) override;
    void PostDiagramTextChanged() override;

private:
    void RunPosted();
    ModelControl* Find(int id);

    std::map<int, ModelControl> controls_;
    int postedTextChanges_ = 0;
};

// Resets the process-wide state of the rules engine to that of a new
// process (zero record, option set and matched row), keeping the table.
void ResetRulesState();
