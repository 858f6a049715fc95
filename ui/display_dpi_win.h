// The dpi of the screen a window is on, and what follows from it that the
// window system answers. Windows 10 (from version 1607) gives each window's
// dpi; Windows 8.1 and the first versions of Windows 10 give only each
// monitor's (GetDpiForMonitor, in shcore); Windows 7 has the system's
// alone. The functions are looked up at run time, and where this Windows
// lacks one the answer comes from the one before it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "display_scale.h"

// The system's dpi: the one the stock fonts are made for.
uint32_t SystemDpi();

// The dpi of the screen that `window` is on: the window's own, else its
// monitor's, else the system's.
uint32_t WindowDpi(HWND window);

// A system metric (SM_CXICON, ...) for a screen of `dpi`; without the
// per-monitor function, the system's own value scaled from its dpi.
int SystemMetricForDpi(int index, uint32_t dpi);

// The size of `window` whose client area is `client`, with the window's
// styles and the frame that a screen of `dpi` gives it. Without the
// per-monitor function, the frame is the system's, which is what the
// window has on Windows 8.1, where frames do not follow the monitor.
SIZE WindowSizeForClient(HWND window, SIZE client, uint32_t dpi);

// Asks the dialog manager to leave a dpi change of `dialog` to the
// program, which lays the dialog out again itself and answers
// WM_GETDPISCALEDSIZE (where Windows offers that; elsewhere it does
// nothing of its own).
void LeaveDpiChangesToTheProgram(HWND dialog);

// The dialog units of a font: what a dialog with that font converts its
// units with.
DialogUnits DialogUnitsOf(HFONT font);
