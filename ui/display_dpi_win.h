// The dpi of the screen a window is on, and what follows from it that the
// window system answers. The per-monitor functions that Windows 7 and 8
// lack are looked up at run time; without them every window has the
// system's dpi, as the screen's device context reports it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "display_scale.h"

// The system's dpi: the one the stock fonts are made for.
uint32_t SystemDpi();

// The dpi of the screen that `window` is on.
uint32_t WindowDpi(HWND window);

// A system metric (SM_CXICON, ...) for a screen of `dpi`; without the
// per-monitor function, the system's own value scaled from its dpi.
int SystemMetricForDpi(int index, uint32_t dpi);

// Asks the dialog manager to leave a dpi change of `dialog` to the
// program, which lays the dialog out again itself (where Windows offers
// that; elsewhere it does nothing of its own).
void LeaveDpiChangesToTheProgram(HWND dialog);

// The dialog units of a font: what a dialog with that font converts its
// units with.
DialogUnits DialogUnitsOf(HFONT font);
