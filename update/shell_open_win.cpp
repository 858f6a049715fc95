#include "shell_open_win.h"

#include <windows.h>

#include "system_library_win.h"

namespace {

using ShellExecuteAFunction = HINSTANCE(WINAPI*)(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                                 LPCSTR directory, INT show);

ShellExecuteAFunction ShellExecuteAEntry() {
    static ShellExecuteAFunction entry = nullptr;
    if (!entry) {
        if (HMODULE shell = LoadSystemLibrary(L"shell32.dll")) {
            entry = reinterpret_cast<ShellExecuteAFunction>(
                reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")));
        }
    }
    return entry;
}

}  // namespace

uint32_t ShellOpen(const char* target) {
    ShellExecuteAFunction shellExecute = ShellExecuteAEntry();
    if (!shellExecute) return 0;
    HINSTANCE result = shellExecute(nullptr, "open", target, nullptr, nullptr, SW_SHOWMAXIMIZED);
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(result));
}
