// Stands in for a downloaded installer in the update tests: it writes, next
// to itself, "<its own path>.ran" holding its full path and its command line
// (UTF-8, one per line), so the test sees that exactly this file ran and how
// it was started. It shows nothing and ends at once.
#include <windows.h>

namespace {

wchar_t Self[32768];
wchar_t Marker[32768 + 8];
char Note[3 * 65536];

// Appends `text` as UTF-8 and a line feed at `at`; returns the new end.
int AppendLine(int at, const wchar_t* text) {
    int room = static_cast<int>(sizeof Note) - at - 1;
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, Note + at, room, nullptr, nullptr);
    if (length <= 0) return at;
    at += length - 1;  // over the terminating zero
    Note[at++] = '\n';
    return at;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    DWORD length = GetModuleFileNameW(nullptr, Self, 32768);
    if (length == 0 || length >= 32768) return 1;
    lstrcpyW(Marker, Self);
    lstrcatW(Marker, L".ran");
    int size = AppendLine(0, Self);
    size = AppendLine(size, GetCommandLineW());

    HANDLE file = CreateFileW(Marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    BOOL ok = WriteFile(file, Note, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return ok && written == static_cast<DWORD>(size) ? 0 : 1;
}
