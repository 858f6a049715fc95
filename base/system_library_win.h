// Loading a library of Windows itself on first use, keeping every library
// that is loaded by name out of the program's folder, and looking up the
// functions that not every Windows has.
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

// `module` once it holds the system library `name`: loads it there on the
// first call (LoadSystemLibrary), and again on a later call while it could
// not be loaded. The library stays loaded until the process ends.
HMODULE LoadSystemLibraryOnce(HMODULE& module, const wchar_t* name);

// The function `name` of `module` as a pointer of type `Function`; null
// when there is no module or it has no such function. The one place where
// the program turns what GetProcAddress finds into a typed pointer.
template <typename Function>
Function SystemFunction(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
