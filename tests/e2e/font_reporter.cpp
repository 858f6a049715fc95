// Loaded into brantle.exe by the harness (InjectFontReporter), reports the
// fonts, texts and places of the program's visible dialog and unloads
// itself, so that the next load reports again. A font handle can be read
// only in the process that made it: under Wine another process does not
// even get the handle from WM_GETFONT.
//
// Before it reports, it asks the harness (kReporterAsks) whether to move
// the dialog to a screen of another dpi first. A move is what the system
// does when the dialog is dragged to another monitor. Windows 10 (version
// 1703 on) first asks the window the size it wants at the new dpi
// (WM_GETDPISCALEDSIZE, offering the old size scaled by new / old dpi),
// then sends WM_DPICHANGED with the new dpi and a suggested rectangle of
// the size answered, or of the scaled size where the window does not
// answer, at the old top-left corner. Windows 8.1 asks nothing and
// suggests the scaled size; the reporter does as Windows 8.1 where the
// program was told to find only the dpi functions of Windows 8.1
// (BRANTLE_DPI_FUNCTIONS=monitor). The report then says which of the
// fonts and pictures that the dialog had before are gone (deleted).
//
// The report goes to the harness's owner window as WM_COPYDATA with dwData
// kFontReportData, one line per item, fields separated by tabs:
//   moved   old dpi, new dpi, the suggested rectangle (4), objects that the
//           dialog had, how many of them are gone, whether the program
//           answered WM_GETDPISCALEDSIZE (0/1) and the size it answered
//           (2)                                          (only after a move)
//   icons   the small and the big icon's width
//   dialog  then the fields of a window (below); its rectangle is the
//           window's on the screen
//   <id>    one line per control, the fields of a window; its rectangle is
//           in the dialog's client area
// The fields of a window: its font's face, height, weight, italic,
// underline, character set, whether it is the stock system font (0/1);
// the font's cell height, descent and average character width; the extent of the
// window's text in that font on its own lines (width, height) and broken
// at the window's width as a label breaks it (width, height); the
// rectangle (4); the client area's width and height; the size of the
// bitmap that a picture label shows (0 0 for none); the style; the
// window's dpi; its class name; whether the font is TrueType (0/1) and
// the face that the font mapper gave it. A window without a font has the
// face "none" and the system font's metrics.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "font_report.h"

namespace {

HMODULE Self = nullptr;

// Whether the program was told to find only the dpi functions of Windows
// 8.1, so that the reporter moves its dialog as Windows 8.1 would.
bool AsOnWindows81() {
    wchar_t value[16] = {};
    const DWORD length = GetEnvironmentVariableW(L"BRANTLE_DPI_FUNCTIONS", value, 16);
    return length > 0 && length < 16 && std::wcscmp(value, L"monitor") == 0;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

UINT DpiOf(HWND window) {
    static const auto dpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (dpiForWindow) return dpiForWindow(window);
    HDC screen = GetDC(nullptr);
    const UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return dpi;
}

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

std::string Fields(std::initializer_list<long> values) {
    std::string out;
    for (long value : values) out += "\t" + std::to_string(value);
    return out;
}

HFONT FontOf(HWND window) {
    DWORD_PTR handle = 0;
    SendMessageTimeoutW(window, WM_GETFONT, 0, 0, SMTO_NORMAL, 30000, &handle);
    return reinterpret_cast<HFONT>(handle);
}

bool IsStatic(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return _wcsicmp(name, L"Static") == 0;
}

HBITMAP BitmapOf(HWND window) {
    if (!IsStatic(window) || (GetWindowLongW(window, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) return nullptr;
    DWORD_PTR handle = 0;
    SendMessageTimeoutW(window, STM_GETIMAGE, IMAGE_BITMAP, 0, SMTO_NORMAL, 30000, &handle);
    return reinterpret_cast<HBITMAP>(handle);
}

std::string WindowLine(const std::string& name, HWND window, HWND dialog) {
    HFONT font = FontOf(window);
    LOGFONTW f{};
    const bool hasFont = font && GetObjectW(font, sizeof f, &f) == sizeof f;
    std::string line = name + "\t" + (hasFont ? Narrow(f.lfFaceName) : std::string("none"));
    line += Fields({f.lfHeight, f.lfWeight, f.lfItalic, f.lfUnderline, f.lfCharSet,
                    hasFont && font == GetStockObject(SYSTEM_FONT) ? 1L : 0L});

    RECT client{};
    GetClientRect(window, &client);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, hasFont ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    wchar_t madeFace[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, madeFace);
    UINT format = DT_CALCRECT | DT_EXPANDTABS;
    if (IsStatic(window) && (style & SS_NOPREFIX)) format |= DT_NOPREFIX;
    RECT lines{0, 0, 0, 0};
    RECT wrapped{0, 0, client.right, 0};
    if (text[0]) {
        DrawTextW(dc, text, -1, &lines, format);
        DrawTextW(dc, text, -1, &wrapped, format | DT_WORDBREAK);
    } else {
        wrapped.right = 0;
    }
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    line += Fields({metrics.tmHeight, metrics.tmDescent, metrics.tmAveCharWidth, lines.right, lines.bottom,
                    wrapped.right, wrapped.bottom});

    RECT rect{};
    GetWindowRect(window, &rect);
    if (window != dialog) MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    BITMAP picture{};
    if (HBITMAP bitmap = BitmapOf(window)) GetObjectW(bitmap, sizeof picture, &picture);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    line += Fields({rect.left, rect.top, rect.right, rect.bottom, client.right, client.bottom, picture.bmWidth,
                    picture.bmHeight, style, static_cast<long>(DpiOf(window))});
    line += "\t" + Narrow(className);
    line += Fields({(metrics.tmPitchAndFamily & TMPF_TRUETYPE) ? 1L : 0L});
    return line + "\t" + Narrow(madeFace) + "\n";
}

BOOL CALLBACK AddControl(HWND control, LPARAM parameter) {
    auto* report = reinterpret_cast<std::pair<std::string, HWND>*>(parameter);
    report->first += WindowLine(std::to_string(GetDlgCtrlID(control)), control, report->second);
    return TRUE;
}

BOOL CALLBACK CollectObjects(HWND control, LPARAM parameter) {
    auto* objects = reinterpret_cast<std::vector<HGDIOBJ>*>(parameter);
    if (HFONT font = FontOf(control)) objects->push_back(font);
    if (HBITMAP bitmap = BitmapOf(control)) objects->push_back(bitmap);
    return TRUE;
}

// Moves the dialog from a screen of `old` dpi to one of `dpi` as the
// system would, and reports the move and which of the dialog's fonts and
// pictures are gone after it.
std::string MoveTo(HWND dialog, UINT old, UINT dpi) {
    std::vector<HGDIOBJ> objects;
    if (HFONT font = FontOf(dialog)) objects.push_back(font);
    EnumChildWindows(dialog, CollectObjects, reinterpret_cast<LPARAM>(&objects));
    // The stock objects are never freed; every other one is the dialog's.
    std::vector<HGDIOBJ> own;
    for (HGDIOBJ object : objects) {
        bool known = object == GetStockObject(SYSTEM_FONT) || object == GetStockObject(DEFAULT_GUI_FONT);
        for (HGDIOBJ seen : own) known = known || seen == object;
        if (!known) own.push_back(object);
    }
    RECT rect{};
    GetWindowRect(dialog, &rect);
    SIZE size{MulDiv(rect.right - rect.left, static_cast<int>(dpi), static_cast<int>(old)),
              MulDiv(rect.bottom - rect.top, static_cast<int>(dpi), static_cast<int>(old))};
    DWORD_PTR answered = 0;
    if (!AsOnWindows81()) {
        SIZE asked = size;
        if (SendMessageTimeoutW(dialog, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&asked), SMTO_NORMAL, 30000,
                                &answered) &&
            answered) {
            size = asked;
        }
    }
    rect.right = rect.left + size.cx;
    rect.bottom = rect.top + size.cy;
    SendMessageTimeoutW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&rect), SMTO_NORMAL,
                        30000, nullptr);
    long gone = 0;
    for (HGDIOBJ object : own) gone += GetObjectType(object) == 0 ? 1 : 0;
    return "moved" +
           Fields({static_cast<long>(old), static_cast<long>(dpi), rect.left, rect.top, rect.right, rect.bottom,
                   static_cast<long>(own.size()), gone, answered ? 1L : 0L, answered ? size.cx : 0L,
                   answered ? size.cy : 0L}) +
           "\n";
}

long IconWidth(HWND dialog, WPARAM which) {
    DWORD_PTR handle = 0;
    SendMessageTimeoutW(dialog, WM_GETICON, which, 0, SMTO_NORMAL, 30000, &handle);
    ICONINFO info{};
    if (!handle || !GetIconInfo(reinterpret_cast<HICON>(handle), &info)) return 0;
    BITMAP picture{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof picture, &picture);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return picture.bmWidth;
}

DWORD WINAPI Report(void*) {
    Search search{GetCurrentProcessId(), nullptr};
    EnumWindows(FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
    HWND harness = FindWindowW(kHarnessWindowClass, nullptr);
    std::pair<std::string, HWND> report{"", search.dialog};
    if (search.dialog) {
        DWORD_PTR moveTo = 0;
        if (harness) SendMessageTimeoutW(harness, kReporterAsks, 0, 0, SMTO_NORMAL, 30000, &moveTo);
        const UINT to = LOWORD(moveTo), from = HIWORD(moveTo);
        if (to) report.first += MoveTo(search.dialog, from ? from : DpiOf(search.dialog), to);
        report.first +=
            "icons" + Fields({IconWidth(search.dialog, ICON_SMALL), IconWidth(search.dialog, ICON_BIG)}) + "\n";
        report.first += WindowLine("dialog", search.dialog, search.dialog);
        EnumChildWindows(search.dialog, AddControl, reinterpret_cast<LPARAM>(&report));
    }
    COPYDATASTRUCT data{};
    data.dwData = kFontReportData;
    data.cbData = static_cast<DWORD>(report.first.size());
    data.lpData = report.first.data();
    if (harness) {
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
