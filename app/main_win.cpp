// The process entry: the library search, COM and the common controls around
// ProgramMain, whose result is the exit code.
//
// Errors, one policy for the whole program. A failure of the system (a file,
// a download, a program that cannot be started) is a returned code, never
// an exception: the update check reports each in its message box, and
// whatever else cannot be loaded leaves the display empty. Errors of the
// C++ library, above all running out of memory, are exceptions, and none
// passes through the window system's frames or into a calling program:
// - the update check catches them and shows "Unexpected error";
// - a dialog message whose handling throws is left to the default handling;
// - the export BRANTLE ends as a close through the system (-1);
// - ProgramMain catches whatever escapes start-up and the dialogs and ends
//   the program with exit code -1, sending no record.
// Nothing ends in a silent abort().
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "program_arguments.h"
#include "program_main_win.h"
#include "system_library_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Before COM, the common controls or anything else can load a library.
    RestrictLibrarySearch();
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    // The arguments, read in place: nothing is copied (or allocated) before
    // ProgramMain, which catches what is thrown.
    const int32_t exitCode = ProgramMain(instance, nullptr, ProgramArguments(), showCommand);
    CoUninitialize();
    ExitProcess(static_cast<UINT>(exitCode));
}
