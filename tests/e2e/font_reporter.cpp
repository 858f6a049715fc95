// Loaded into brantle.exe by the harness (InjectFontReporter), reports the
// fonts of the program's visible dialog and unloads itself, so that the
// next load reports again. A font handle can be read only in the process
// that made it: under Wine another process does not even get the handle
// from WM_GETFONT.
//
// The report goes to the harness's owner window as WM_COPYDATA with dwData
// kFontReportData: one line for the dialog ("dialog") and one for each
// control (its id), each followed by the font's face, height, weight,
// italic, underline and character set, separated by tabs, and "system"
// when the font is the stock system font.
#include <windows.h>

#include <cwchar>
#include <string>

#include "font_report.h"

namespace {

HMODULE Self = nullptr;

struct Search {
    DWORD pid;
    HWND dialog;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (pid != search->pid || !IsWindowVisible(window) || std::wcscmp(name, L"#32770") != 0) return TRUE;
    search->dialog = window;
    return FALSE;
}

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; *text; ++text) out += *text < 128 ? static_cast<char>(*text) : '?';
    return out;
}

std::string FontLine(const std::string& name, HWND window) {
    DWORD_PTR handle = 0;
    SendMessageTimeoutW(window, WM_GETFONT, 0, 0, SMTO_NORMAL, 30000, &handle);
    HFONT font = reinterpret_cast<HFONT>(handle);
    LOGFONTW f{};
    if (!font || GetObjectW(font, sizeof f, &f) != sizeof f) return name + "\tnone\n";
    return name + "\t" + Narrow(f.lfFaceName) + "\t" + std::to_string(f.lfHeight) + "\t" + std::to_string(f.lfWeight) +
           "\t" + std::to_string(f.lfItalic) + "\t" + std::to_string(f.lfUnderline) + "\t" +
           std::to_string(f.lfCharSet) + (font == GetStockObject(SYSTEM_FONT) ? "\tsystem\n" : "\n");
}

BOOL CALLBACK AddControl(HWND control, LPARAM parameter) {
    *reinterpret_cast<std::string*>(parameter) += FontLine(std::to_string(GetDlgCtrlID(control)), control);
    return TRUE;
}

DWORD WINAPI Report(void*) {
    Search search{GetCurrentProcessId(), nullptr};
    EnumWindows(FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
    std::string report;
    if (search.dialog) {
        report = FontLine("dialog", search.dialog);
        EnumChildWindows(search.dialog, AddControl, reinterpret_cast<LPARAM>(&report));
    }
    COPYDATASTRUCT data{};
    data.dwData = kFontReportData;
    data.cbData = static_cast<DWORD>(report.size());
    data.lpData = report.data();
    if (HWND harness = FindWindowW(kHarnessWindowClass, nullptr)) {
        SendMessageTimeoutW(harness, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 30000, nullptr);
    }
    FreeLibraryAndExitThread(Self, 0);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        Self = instance;
        DisableThreadLibraryCalls(instance);
        // The work waits for the loader to finish: it sends messages.
        if (HANDLE thread = CreateThread(nullptr, 0, Report, nullptr, 0, nullptr)) CloseHandle(thread);
    }
    return TRUE;
}
