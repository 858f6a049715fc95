// Loading a library of Windows itself on first use.
#pragma once

#include <windows.h>

// Loads `name` (such as L"urlmon.dll") from the system directory only, by
// its full path, so that no file of that name in the program's folder or
// the current folder is loaded instead. Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);
