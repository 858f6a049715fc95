// The Win32 side of the dialogs: the two dialogs, their shared callback and
// the helpers they are built from.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ansi_text_win.h"
#include "dialog_ending.h"
#include "dialog_layout.h"
#include "display_scale.h"
#include "engine_state.h"

// --- Text at the window boundary (ANSI code page, precomposed) ---
std::string WindowText8(HWND window);  // "" for no window

// --- The module the dialogs' resources come from ---
// Start-up keeps the instance handle; before it has (the exported BRANTLE
// called by another program) the module this code is linked into is used.
void KeepProgramInstance(HINSTANCE instance);
HINSTANCE ProgramInstance();

// --- Running a dialog modally ---
// What a dialog's controls are laid out by at a dpi, in dialog units; the
// About banner depends on the units and the dpi.
using LayoutForDpi = std::function<DialogLayout(DialogUnits units, uint32_t dpi)>;

// Creates the dialog hidden from an in-memory template, owned by `owner`
// when that is a window, gives every control the default dialog font and
// the dialog the AMAIN icon, both for the dpi of its screen.
HWND CreateHiddenDialog(const std::vector<uint16_t>& dialogTemplate, uintptr_t owner);

// Runs a dialog made by CreateHiddenDialog until it is destroyed: brings it
// to the foreground, initialises it through DialogCallback, disables the
// owner, shows it and pumps messages with the dialog keyboard handling.
// `layout` places its controls again when it moves to a screen of another
// dpi. `engine` is the engine state that this showing owns: the callback
// works on it, and on nothing that another showing could reach.
DialogEnd RunModalDialog(HWND dialog, uintptr_t owner, const LayoutForDpi& layout, EngineState& engine);

// The engine state of a dialog that RunModalDialog runs; null before it runs
// and once it has ended.
EngineState* EngineStateOf(HWND dialog);

// Ends a running dialog: keeps the end for RunModalDialog, re-enables the
// owner and destroys the window.
void EndModalDialog(HWND dialog, DialogEnd end);

// --- Fonts for the dialog's dpi (dialog_fonts_win.cpp) ---
// The default dialog font and the bold title font of the result word and
// the About title, as last made; the title font is the stock system font
// at 96 dpi.
HFONT DialogTextFont();
HFONT DialogTitleFont();
// Makes the default dialog font for `dpi` unless it is the one kept, gives
// it to every control of `dialog` and frees the one it replaces.
void GiveControlsTheDialogFont(HWND dialog, uint32_t dpi);
// Gives the result word or the About title the title font for `dpi` and
// its label's height, and the link labels LinkFont.
void GiveLabelsTheirFonts(HWND dialog, uint32_t dpi);

// --- The About artwork for the dialog's dpi (about_artwork_win.cpp) ---
// Puts the three pictures, drawn or resampled for `dpi`, into their labels
// where the dialog has them, and frees the ones they replace.
void PutAboutArtwork(HWND dialog, uint32_t dpi);
// Frees the pictures once their dialog has gone.
void ReleaseAboutArtwork();

// --- A move to a screen of another dpi (dpi_change_win.cpp) ---
// Takes the rectangle that the system suggests for the new dpi, makes the
// fonts, pictures and icons anew for it and lays the controls out again.
void ApplyNewDpi(HWND dialog, uint32_t dpi, const RECT& suggested, const LayoutForDpi& layout);
// Gives the dialog the program's icon at the sizes its dpi asks for.
void SetDialogIcons(HWND dialog, uint32_t dpi);

// --- The callback of both dialogs ---
// 0: not handled. Otherwise handled, and the value is the message's result.
INT_PTR CALLBACK DialogCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- Link labels ---
// The stock GUI font, underlined, made at every dialog initialisation and
// at every change of its dpi, for the dialog's dpi.
extern HFONT LinkFont;
void MakeLinkFont(uint32_t dpi);
// Gives the window class of the control `id` the system's hand cursor.
void SetHandCursor(HWND dialog, int id);
// Opens the link label `id` as a click on it does.
void OpenLink(HWND dialog, int id);

// --- The dialogs ---
// The main dialog, one showing; returns the option set after IDOK, -2 after
// Esc and -1 after a close through the system. The showing owns its engine
// state, which starts from `record` as the caller's earlier showings left it
// (its option set is shown on the controls; nothing is matched yet). Once
// the dialog has ended, `record` holds what this showing left: the text
// typed, the option set and the word.
int32_t BRANTLE(uintptr_t owner, const std::string& initialNumber, ResultRecord& record);

// The About dialog in `mode`, whose "OK" and "Close" end it with
// 1 + `optionSet`; returns its end value and, through `ending`, how it ended.
int32_t ShowAboutDialog(uintptr_t owner, int32_t mode, int32_t optionSet, DialogEnding* ending = nullptr);
