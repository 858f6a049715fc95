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
#include "gdi_owner_win.h"

// --- The module the dialogs' resources come from ---
// Start-up keeps the instance handle; before it has (the exported BRANTLE
// called by another program) the module this code is linked into is used.
void KeepProgramInstance(HINSTANCE instance);
HINSTANCE ProgramInstance();

// --- Running a dialog modally ---
// What a dialog's controls are laid out by at a dpi, in dialog units; the
// About banner and picture labels depend on the units and the dpi.
using LayoutForDpi = std::function<DialogLayout(DialogUnits units, uint32_t dpi)>;

// Creates the dialog hidden from an in-memory template, owned by `owner`
// when that is a window, and asks the dialog manager to leave its dpi
// changes to the program.
HWND CreateHiddenDialog(const std::vector<uint16_t>& dialogTemplate, uintptr_t owner);

// Runs a dialog made by CreateHiddenDialog until it is destroyed: fits it
// to the dpi of the screen it is on (FitDialogToDpi, with `layout`), brings
// it to the foreground, initialises it through DialogCallback, disables the
// owner, shows it and pumps messages with the dialog keyboard handling. It
// is fitted again to every new dpi (WM_DPICHANGED), and answers
// WM_GETDPISCALEDSIZE with the size it will take. `engine` is the engine
// state that this showing owns: the callback works on it, and on nothing
// that another showing could reach.
DialogEnd RunModalDialog(HWND dialog, uintptr_t owner, const LayoutForDpi& layout, EngineState& engine);

// The engine state of a dialog that RunModalDialog runs; null before it runs
// and once it has ended.
EngineState* EngineStateOf(HWND dialog);

// Ends a running dialog: keeps the end for RunModalDialog, re-enables the
// owner and destroys the window.
void EndModalDialog(HWND dialog, DialogEnd end);

// --- What a dialog on show draws with ---
// The fonts, pictures and icons made for the dpi that a dialog is laid out
// at. They belong to the showing (RunModalDialog keeps them) and are freed
// once the dialog has gone; those that a new dpi replaces are freed once
// no control has them any more.
struct DialogDisplay {
    uint32_t dpi = 0;                           // 0 until the dialog is first fitted
    OwnedFont text;                             // the default dialog font: the dialog's and every control's
    OwnedFont title;                            // the bold title font; none where the stock system font serves
    int32_t titleLabelHeight = 0;               // the height of the label it was made to fit
    OwnedFont link;                             // the link labels' font
    OwnedBitmap pictures[ABOUT_PICTURE_COUNT];  // the About artwork, as ABOUT_PICTURES lists it
    OwnedIcon smallIcon, bigIcon;

    HFONT TitleFont() const;  // the one made, or the stock system font
};

// The display of a dialog that RunModalDialog runs; null before it runs
// and once it has ended.
const DialogDisplay* DisplayOf(HWND dialog);

// --- Fitting a dialog to a dpi (dialog_fit_win.cpp) ---
// Lays `dialog` out for a screen of `dpi`: the default dialog font made
// for it on every control; the controls at their rectangles in the layout
// for that font's units; the window the layout's size, its top-left at
// `topLeft` or, without one, its middle where it was; the title and link
// fonts, the About pictures and the icons. Called once a dialog is made,
// before it is first shown, and at every change of its dpi.
void FitDialogToDpi(HWND dialog, DialogDisplay& display, uint32_t dpi, const LayoutForDpi& layout,
                    const POINT* topLeft);
// The window size that FitDialogToDpi gives `dialog` at `dpi`.
SIZE DialogWindowSizeAt(HWND dialog, uint32_t dpi, const LayoutForDpi& layout);

// --- Fonts for a dpi (dialog_fonts_win.cpp) ---
// The default dialog font for `dpi`; none before start-up has set a face.
OwnedFont MakeTextFont(uint32_t dpi);
// Gives the result word or the About title the title font for `dpi` and
// its label's height, and the link labels the link font, making each for
// the display where it has not got it yet.
void GiveLabelsTheirFonts(HWND dialog, DialogDisplay& display, uint32_t dpi);

// --- The About artwork for a dpi (about_artwork_win.cpp) ---
// Puts the three pictures, drawn or resampled for `dpi`, into their labels
// where the dialog has them, and frees the ones they replace.
void PutAboutArtwork(HWND dialog, DialogDisplay& display, uint32_t dpi);

// --- The callback of both dialogs ---
// 0: not handled. Otherwise handled, and the value is the message's result.
INT_PTR CALLBACK DialogCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- Link labels ---
// The stock GUI font, underlined, made for `dpi`.
OwnedFont MakeLinkFont(uint32_t dpi);
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
