#include "display_dpi_win.h"

#include "gdi_owner_win.h"
#include "system_library_win.h"

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForSystemFunction = UINT(WINAPI*)();
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SetDialogDpiChangeBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

// DIALOG_DPI_CHANGE_BEHAVIORS (Windows 10, version 1703): DDC_DISABLE_ALL.
constexpr int DIALOG_DPI_CHANGES_DISABLED = 0x0001;
// MONITOR_DPI_TYPE: MDT_EFFECTIVE_DPI, the dpi that the user's scale gives.
constexpr int EFFECTIVE_DPI = 0;

// The per-monitor functions, where this Windows has them: user32's looked
// up once, from the copy the program already has loaded; shcore's only
// where user32 cannot tell a window's dpi, loaded then from the system
// folder.
struct DpiFunctions {
    GetDpiForWindowFunction dpiForWindow = nullptr;
    GetDpiForSystemFunction dpiForSystem = nullptr;
    GetSystemMetricsForDpiFunction systemMetricsForDpi = nullptr;
    AdjustWindowRectExForDpiFunction adjustWindowRectForDpi = nullptr;
    SetDialogDpiChangeBehaviorFunction setDialogDpiChangeBehavior = nullptr;
    GetDpiForMonitorFunction dpiForMonitor = nullptr;
};

// Test builds only: BRANTLE_DPI_FUNCTIONS=monitor leaves user32's
// per-window functions out, so that the program finds what Windows 8.1
// has (the monitor's dpi alone) and its fallbacks can be tested on any
// system.
bool OnlyTheMonitorsDpi() {
#ifdef BRANTLE_TEST_SEAMS
    wchar_t value[16] = {};
    const DWORD length = GetEnvironmentVariableW(L"BRANTLE_DPI_FUNCTIONS", value, 16);
    return length > 0 && length < 16 && lstrcmpW(value, L"monitor") == 0;
#else
    return false;
#endif
}

const DpiFunctions& Functions() {
    static const DpiFunctions functions = [] {
        DpiFunctions f;
        if (!OnlyTheMonitorsDpi()) {
            HMODULE user32 = GetModuleHandleW(L"user32.dll");
            f.dpiForWindow = SystemFunction<GetDpiForWindowFunction>(user32, "GetDpiForWindow");
            f.dpiForSystem = SystemFunction<GetDpiForSystemFunction>(user32, "GetDpiForSystem");
            f.systemMetricsForDpi = SystemFunction<GetSystemMetricsForDpiFunction>(user32, "GetSystemMetricsForDpi");
            f.adjustWindowRectForDpi =
                SystemFunction<AdjustWindowRectExForDpiFunction>(user32, "AdjustWindowRectExForDpi");
            f.setDialogDpiChangeBehavior =
                SystemFunction<SetDialogDpiChangeBehaviorFunction>(user32, "SetDialogDpiChangeBehavior");
        }
        // shcore is loaded only where it is needed, and kept for the
        // process's life: every dialog asks its monitor's dpi.
        if (!f.dpiForWindow) {
            f.dpiForMonitor =
                SystemFunction<GetDpiForMonitorFunction>(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
        }
        return f;
    }();
    return functions;
}

uint32_t ScreenDeviceDpi() {
    const ScreenDc screen;
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<uint32_t>(dpi) : BASE_DPI;
}

}  // namespace

uint32_t SystemDpi() {
    if (Functions().dpiForSystem) {
        if (const UINT dpi = Functions().dpiForSystem()) return dpi;
    }
    return ScreenDeviceDpi();
}

uint32_t WindowDpi(HWND window) {
    if (window && Functions().dpiForWindow) {
        if (const UINT dpi = Functions().dpiForWindow(window)) return dpi;
    }
    if (window && Functions().dpiForMonitor) {
        UINT x = 0, y = 0;
        HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (monitor && SUCCEEDED(Functions().dpiForMonitor(monitor, EFFECTIVE_DPI, &x, &y)) && y > 0) return y;
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, uint32_t dpi) {
    if (Functions().systemMetricsForDpi) {
        if (const int value = Functions().systemMetricsForDpi(index, dpi)) return value;
    }
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

SIZE WindowSizeForClient(HWND window, SIZE client, uint32_t dpi) {
    RECT rect{0, 0, client.cx, client.cy};
    const DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    // A dialog has no menu bar.
    if (!Functions().adjustWindowRectForDpi || !Functions().adjustWindowRectForDpi(&rect, style, FALSE, exStyle, dpi)) {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void LeaveDpiChangesToTheProgram(HWND dialog) {
    if (dialog && Functions().setDialogDpiChangeBehavior) {
        Functions().setDialogDpiChangeBehavior(dialog, DIALOG_DPI_CHANGES_DISABLED, DIALOG_DPI_CHANGES_DISABLED);
    }
}

DialogUnits DialogUnitsOf(HFONT font) {
    static const wchar_t ALPHABET[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    DialogUnits units;
    const ScreenDc screen;
    if (!screen.Get()) return units;
    HGDIOBJ previous = SelectObject(screen.Get(), font ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICW metrics{};
    SIZE alphabet{};
    if (GetTextMetricsW(screen.Get(), &metrics) && GetTextExtentPoint32W(screen.Get(), ALPHABET, 52, &alphabet)) {
        units = DialogUnitsOfFont(alphabet.cx, metrics.tmHeight);
    }
    SelectObject(screen.Get(), previous);
    return units;
}
