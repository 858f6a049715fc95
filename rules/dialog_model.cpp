#include "dialog_model.h"

#include <algorithm>
#include <cstring>

#include "rules_engine.h"

namespace {

struct CreatedControl {
    int id;
    ModelControl::Kind kind;
    std::string_view text;
};

// The controls that the engine acts on, as the dialog creates them.
constexpr CreatedControl CREATED[MainDialogModel::CONTROL_COUNT] = {
    {IDC_DIAGRAM_NUMBER, ModelControl::EDIT, ""},
    {IDC_NONE, ModelControl::CHECK_BOX, "none"},
    {IDC_LAMP_COLUMN, ModelControl::CHECK_BOX, "Within 50m of a lamp column"},
    {IDC_NORMAL_POSTS, ModelControl::RADIO_BUTTON, "normal post(s)"},
    {IDC_SELF_RIGHTING_BOLLARD, ModelControl::RADIO_BUTTON, "self-righting bollard"},
    {IDC_BOLLARD, ModelControl::RADIO_BUTTON, "internally illuminated bollard"},
    {IDC_GANTRY, ModelControl::RADIO_BUTTON, "gantry or bridge structure"},
    {IDC_SIGNAL_HEAD, ModelControl::RADIO_BUTTON, "traffic signal head"},
    {IDC_20MPH, ModelControl::CHECK_BOX, "In a 20 mph speed limit or zone"},
    {IDC_REPEATER, ModelControl::CHECK_BOX, "Repeater sign"},
    {IDC_CONDITION, ModelControl::CHECK_BOX, ""},
    {IDC_RESULT, ModelControl::LABEL, ""},
    {IDC_RESULT_HEADER, ModelControl::LABEL, ""},
    {IDC_RESULT_NOTE, ModelControl::LABEL, ""},
};

static_assert(
    [] {
        for (int i = 0; i < MainDialogModel::CONTROL_COUNT; ++i) {
            if (MainDialogModel::SlotOf(CREATED[i].id) != i) return false;
        }
        return true;
    }(),
    "every control is kept in its place of the creation order");

bool IsMountingButton(int id) { return id >= IDC_NORMAL_POSTS && id <= IDC_SIGNAL_HEAD; }

}  // namespace

int MainDialogModel::ControlId(int slot) { return slot >= 0 && slot < CONTROL_COUNT ? CREATED[slot].id : -1; }

MainDialogModel::MainDialogModel(std::string_view initialNumber, int32_t optionSet) {
    state_.OptionSet() = optionSet;
    Show(initialNumber);
}

void MainDialogModel::Show(std::string_view initialNumber) {
    for (int i = 0; i < CONTROL_COUNT; ++i) {
        ModelControl& control = controls_[i];
        control.kind = CREATED[i].kind;
        const std::string_view text = CREATED[i].id == IDC_DIAGRAM_NUMBER ? initialNumber : CREATED[i].text;
        if (control.text != text) control.text.assign(text);
        control.ticked = false;
        control.enabled = true;
        control.shown = true;
    }
    postedTextChanges_ = 0;
    writes_ = 0;
    needlessWrites_ = 0;
    InitialiseMainDialogControls(state_, *this);
    RunPosted();
}

void MainDialogModel::Type(std::string_view text) {
    Find(IDC_DIAGRAM_NUMBER)->text.assign(text);
    OnDiagramTextChanged(state_, *this);  // the edit control notifies every change
    RunPosted();
}

void MainDialogModel::Click(int id) {
    ModelControl* control = Find(id);
    if (!control || !control->enabled || !control->shown) return;
    if (control->kind == ModelControl::RADIO_BUTTON) {
        control->ticked = true;
        for (int other = IDC_NORMAL_POSTS; other <= IDC_SIGNAL_HEAD; ++other) {
            ModelControl* button = Find(other);
            if (other != id && IsMountingButton(other) && button->enabled && button->shown) button->ticked = false;
        }
    } else if (control->kind == ModelControl::CHECK_BOX) {
        control->ticked = !control->ticked;
    } else {
        return;
    }
    if (id == IDC_NONE) {
        OnNoneToggled(state_, *this, control->ticked);
    } else {
        OnOptionClicked(state_, *this, id, control->ticked);
    }
    RunPosted();
}

const ModelControl& MainDialogModel::Absent() {
    static const ModelControl absent;
    return absent;
}

void MainDialogModel::RunPosted() {
    while (postedTextChanges_ > 0) {
        --postedTextChanges_;
        OnDiagramTextChanged(state_, *this);
    }
}

void MainDialogModel::CountWrite(bool changed) {
    ++writes_;
    if (!changed) ++needlessWrites_;
}

size_t MainDialogModel::Text(int id, char* buffer, size_t capacity) {
    ModelControl* control = Find(id);
    if (!control) return 0;
    std::memcpy(buffer, control->text.data(), std::min(capacity, control->text.size()));
    return control->text.size();
}

bool MainDialogModel::HasText(int id, std::string_view text) {
    ModelControl* control = Find(id);
    return control && control->text == text;
}

bool MainDialogModel::IsTicked(int id) {
    ModelControl* control = Find(id);
    return control && control->ticked;
}

bool MainDialogModel::IsEnabled(int id) {
    ModelControl* control = Find(id);
    return control && control->enabled;
}

bool MainDialogModel::IsShown(int id) {
    ModelControl* control = Find(id);
    return control && control->shown;
}

void MainDialogModel::SetText(int id, std::string_view text) {
    if (ModelControl* control = Find(id)) {
        CountWrite(control->text != text);
        control->text.assign(text);
    }
}

void MainDialogModel::SetTicked(int id, bool ticked) {
    if (ModelControl* control = Find(id)) {
        CountWrite(control->ticked != ticked);
        control->ticked = ticked;
    }
}

void MainDialogModel::SetEnabled(int id, bool enabled) {
    if (ModelControl* control = Find(id)) {
        CountWrite(control->enabled != enabled);
        control->enabled = enabled;
    }
}

void MainDialogModel::SetShown(int id, bool shown) {
    if (ModelControl* control = Find(id)) {
        CountWrite(control->shown != shown);
        control->shown = shown;
    }
}

void MainDialogModel::PostDiagramTextChanged() { ++postedTextChanges_; }
