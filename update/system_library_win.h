// Loading a library of Windows itself on first use, and keeping every
// library that is loaded by name out of the program's folder.
#pragma once

#include <windows.h>

// Makes every library that is later loaded by name, by the program or by a
// system library on its behalf, come from the system directory only: never
// from the program's folder (a Downloads folder may hold a planted DLL),
// the current folder or PATH. SetDefaultDllDirectories where Windows has
// it, otherwise SetDllDirectoryW(L""), which at least takes the current
// folder out of the search. Call it first at start-up, before anything is
// loaded at run time; the libraries that the program imports are loaded
// before it runs.
void RestrictLibrarySearch();

// Loads `name` (such as L"urlmon.dll") from the system directory only, by
// its full path, so that no file of that name in the program's folder or
// the current folder is loaded instead. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Loads the system library `library` into `module` once (LoadSystemLibrary)
// and looks up `name` in it; null when either fails. The library stays
// loaded until the process ends.
FARPROC SystemLibraryEntry(HMODULE& module, const wchar_t* library, const char* name);
