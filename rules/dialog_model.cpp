#include "dialog_model.h"

#include <cstring>

#include "control_ids.h"
#include "result_record.h"
#include "rules_engine.h"

namespace {

bool IsMountingButton(int id) { return id >= IDC_NORMAL_POSTS && id <= IDC_SIGNAL_HEAD; }

}  // namespace

MainDialogModel::MainDialogModel(const std::string& initialNumber) {
    const std::pair<int, ModelControl> created[] = {
        {IDC_DIAGRAM_NUMBER, {ModelControl::EDIT, initialNumber}},
        {IDC_NONE, {ModelControl::CHECK_BOX, "none"}},
        {IDC_LAMP_COLUMN, {ModelControl::CHECK_BOX, "Within 50m of a lamp column"}},
        {IDC_NORMAL_POSTS, {ModelControl::RADIO_BUTTON, "normal post(s)"}},
        {IDC_SELF_RIGHTING_BOLLARD, {ModelControl::RADIO_BUTTON, "self-righting bollard"}},
        {IDC_BOLLARD, {ModelControl::RADIO_BUTTON, "internally illuminated bollard"}},
        {IDC_GANTRY, {ModelControl::RADIO_BUTTON, "gantry or bridge structure"}},
        {IDC_SIGNAL_HEAD, {ModelControl::RADIO_BUTTON, "traffic signal head"}},
        {IDC_20MPH, {ModelControl::CHECK_BOX, "In a 20 mph speed limit or zone"}},
        {IDC_REPEATER, {ModelControl::CHECK_BOX, "Repeater sign"}},
        {IDC_CONDITION, {ModelControl::CHECK_BOX, ""}},
        {IDC_RESULT, {ModelControl::LABEL, ""}},
        {IDC_RESULT_HEADER, {ModelControl::LABEL, ""}},
        {IDC_RESULT_NOTE, {ModelControl::LABEL, ""}},
    };
    for (const auto& [id, control] : created) controls_[id] = control;
    InitialiseMainDialogControls(*this);
    RunPosted();
}

void MainDialogModel::Type(const std::string& text) {
    controls_[IDC_DIAGRAM_NUMBER].text = text;
    OnDiagramTextChanged(*this);  // the edit control notifies every change
    RunPosted();
}

void MainDialogModel::Click(int id) {
    ModelControl* control = Find(id);
    if (!control || !control->enabled || !control->shown) return;
    if (control->kind == ModelControl::RADIO_BUTTON) {
        control->ticked = true;
        for (auto& [otherId, other] : controls_) {
            if (otherId != id && IsMountingButton(otherId) && other.enabled && other.shown) other.ticked = false;
        }
    } else if (control->kind == ModelControl::CHECK_BOX) {
        control->ticked = !control->ticked;
    } else {
        return;
    }
    if (id == IDC_NONE) {
        OnNoneToggled(*this, control->ticked);
    } else {
        OnOptionClicked(*this, id, control->ticked);
    }
    RunPosted();
}

void MainDialogModel::RunPosted() {
    while (postedTextChanges_ > 0) {
        --postedTextChanges_;
        OnDiagramTextChanged(*this);
    }
}

ModelControl* MainDialogModel::Find(int id) {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

std::string MainDialogModel::Text(int id) {
    ModelControl* control = Find(id);
    return control ? control->text : std::string();
}

void MainDialogModel::SetText(int id, const std::string& text) {
    if (ModelControl* control = Find(id)) control->text = text;
}

bool MainDialogModel::IsTicked(int id) {
    ModelControl* control = Find(id);
    return control && control->ticked;
}

void MainDialogModel::SetTicked(int id, bool ticked) {
    if (ModelControl* control = Find(id)) control->ticked = ticked;
}

void MainDialogModel::SetEnabled(int id, bool enabled) {
    if (ModelControl* control = Find(id)) control->enabled = enabled;
}

void MainDialogModel::SetShown(int id, bool shown) {
    if (ModelControl* control = Find(id)) control->shown = shown;
}

void MainDialogModel::PostDiagramTextChanged() { ++postedTextChanges_; }

void ResetRulesState() {
    std::memset(&TheResultRecord, 0, sizeof TheResultRecord);
    MatchedRow = 0;
}
