#include "shell_open_win.h"

#include <windows.h>

#include "system_library_win.h"

namespace {

using ShellExecuteAFunction = HINSTANCE(WINAPI*)(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                                 LPCSTR directory, INT show);

HMODULE Shell32;

}  // namespace

uint32_t ShellOpen(const char* target) {
    auto shellExecute =
        SystemFunction<ShellExecuteAFunction>(LoadSystemLibraryOnce(Shell32, L"shell32.dll"), "ShellExecuteA");
    if (!shellExecute) return 0;
    HINSTANCE result = shellExecute(nullptr, "open", target, nullptr, nullptr, SW_SHOWMAXIMIZED);
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(result));
}
