// The main dialog's controls as the rules engine sees them, on real windows.
#pragma once

#include <windows.h>

#include "main_dialog_controls.h"

// Every operation looks its control up by id; a control that the dialog does
// not have is passed over.
struct WindowControls : MainDialogControls {
    explicit WindowControls(HWND dialogWindow) : dialog(dialogWindow) {}

    std::string Text(int id) override;
    void SetText(int id, const std::string& text) override;
    bool IsTicked(int id) override;
    void SetTicked(int id, bool ticked) override;
    void SetEnabled(int id, bool enabled) override;
    void SetShown(int id, bool shown) override;
    void PostDiagramTextChanged() override;

    HWND dialog;
};
