// A library that does nothing, planted by the harness beside a program under
// a name that no system library has: a program whose library search still
// looks in its own folder loads it when asked for it by name.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
