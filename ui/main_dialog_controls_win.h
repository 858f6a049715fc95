// The main dialog's controls as the rules engine sees them, on real windows.
#pragma once

#include <windows.h>

#include "main_dialog_controls.h"

// Every operation looks its control up by id; a control that the dialog does
// not have is passed over. The states are read from the windows themselves,
// so that the engine's comparisons see what the user's clicks did. Texts of
// the lengths that captions and typed numbers have pass through stack
// buffers, so a keystroke allocates nothing here.
struct WindowControls : MainDialogControls {
    explicit WindowControls(HWND dialogWindow) : dialog(dialogWindow) {}

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

    HWND dialog;
};
