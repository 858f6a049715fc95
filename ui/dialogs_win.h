// The Win32 side of the dialogs: the two dialogs, their shared callback and
// the helpers they are built from.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ansi_text_win.h"
#include "dialog_ending.h"

// --- Text at the window boundary (ANSI code page, precomposed) ---
std::string WindowText8(HWND window);  // "" for no window

// --- The module the dialogs' resources come from ---
// Start-up keeps the instance handle; before it has (the exported BRANTLE
// called by another program) the module this code is linked into is used.
void KeepProgramInstance(HINSTANCE instance);
HINSTANCE ProgramInstance();

// --- Running a dialog modally ---
// Creates the dialog hidden from an in-memory template, owned by `owner`
// when that is a window, gives every control the default dialog font and
// the dialog the AMAIN icon.
HWND CreateHiddenDialog(const std::vector<uint16_t>& dialogTemplate, uintptr_t owner);

// Runs a dialog made by CreateHiddenDialog until it is destroyed: brings it
// to the foreground, initialises it through DialogCallback, disables the
// owner, shows it and pumps messages with the dialog keyboard handling.
DialogEnd RunModalDialog(HWND dialog, uintptr_t owner);

// Ends a running dialog: keeps the end for RunModalDialog, re-enables the
// owner and destroys the window.
void EndModalDialog(HWND dialog, DialogEnd end);

// --- The callback of both dialogs ---
// 0: not handled. Otherwise handled, and the value is the message's result.
INT_PTR CALLBACK DialogCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- Link labels ---
// The stock GUI font, underlined, made at every dialog initialisation.
extern HFONT LinkFont;
void MakeLinkFont();
// Gives the window class of the control `id` the system's hand cursor.
void SetHandCursor(HWND dialog, int id);
// Opens the link label `id` as a click on it does.
void OpenLink(HWND dialog, int id);

// --- The dialogs ---
// The main dialog; returns the option set after IDOK, -2 after Esc and -1
// after a close through the system.
int32_t BRANTLE(uintptr_t owner, const std::string& initialNumber);

// The About dialog in `mode`; returns its end value and, through `ending`,
// how it ended.
int32_t ShowAboutDialog(uintptr_t owner, int32_t mode, DialogEnding* ending = nullptr);
