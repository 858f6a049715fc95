#include "system_library_win.h"

namespace {

// Whether the search for libraries loaded by name is the system directory
// alone.
bool SystemDirectoryOnly = false;

}  // namespace

void RestrictLibrarySearch() {
    // Looked up at run time: older Windows lacks it (kernel32 is loaded in
    // every process, so no search takes place here).
    using SetDefaultDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    auto setDefaultDirectories =
        SystemFunction<SetDefaultDirectoriesFunction>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefaultDirectories && setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SystemDirectoryOnly = true;
        return;
    }
    SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t path[MAX_PATH + 1];
    UINT length = GetSystemDirectoryW(path, MAX_PATH + 1);
    const size_t nameLength = lstrlenW(name);
    if (length == 0 || length + 1 + nameLength > MAX_PATH) return nullptr;
    path[length] = L'\\';
    lstrcpyW(path + length + 1, name);
    // The libraries that this one needs are looked for where the program's
    // search allows: the system directory alone once RestrictLibrarySearch
    // has set it so; otherwise this library's folder first, which is the
    // system directory too.
    return LoadLibraryExW(path, nullptr, SystemDirectoryOnly ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE LoadSystemLibraryOnce(HMODULE& module, const wchar_t* name) {
    if (!module) module = LoadSystemLibrary(name);
    return module;
}
