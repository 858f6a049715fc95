#include "system_library_win.h"

HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t path[MAX_PATH + 1];
    UINT length = GetSystemDirectoryW(path, MAX_PATH + 1);
    const size_t nameLength = lstrlenW(name);
    if (length == 0 || length + 1 + nameLength > MAX_PATH) return nullptr;
    path[length] = L'\\';
    lstrcpyW(path + length + 1, name);
    // The libraries that this one needs are looked for in its folder first.
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
