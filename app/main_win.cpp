// The process entry: the library search, COM and the common controls around
// ProgramMain, whose result is the exit code.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "command_line.h"
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

    // The arguments by the program's own rule for where its name ends.
    const wchar_t* commandLine = GetCommandLineW();
    const std::u16string line(commandLine, commandLine + lstrlenW(commandLine));
    const int32_t exitCode = ProgramMain(instance, nullptr, ArgumentText(line), showCommand);
    CoUninitialize();
    ExitProcess(static_cast<UINT>(exitCode));
}
