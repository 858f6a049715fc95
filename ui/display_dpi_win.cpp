#include "display_dpi_win.h"

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForSystemFunction = UINT(WINAPI*)();
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using SetDialogDpiChangeBehaviorFunction = BOOL(WINAPI*)(HWND, int, int);

// DIALOG_DPI_CHANGE_BEHAVIORS (Windows 10, version 1703): DDC_DISABLE_ALL.
constexpr int DIALOG_DPI_CHANGES_DISABLED = 0x0001;

// user32's per-monitor functions, where this Windows has them: looked up
// once, from the copy of user32 the program already has loaded.
struct DpiFunctions {
    GetDpiForWindowFunction dpiForWindow = nullptr;
    GetDpiForSystemFunction dpiForSystem = nullptr;
    GetSystemMetricsForDpiFunction systemMetricsForDpi = nullptr;
    SetDialogDpiChangeBehaviorFunction setDialogDpiChangeBehavior = nullptr;
};

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

const DpiFunctions& Functions() {
    static const DpiFunctions functions = [] {
        DpiFunctions f;
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        f.dpiForWindow = Lookup<GetDpiForWindowFunction>(user32, "GetDpiForWindow");
        f.dpiForSystem = Lookup<GetDpiForSystemFunction>(user32, "GetDpiForSystem");
        f.systemMetricsForDpi = Lookup<GetSystemMetricsForDpiFunction>(user32, "GetSystemMetricsForDpi");
        f.setDialogDpiChangeBehavior = Lookup<SetDialogDpiChangeBehaviorFunction>(user32, "SetDialogDpiChangeBehavior");
        return f;
    }();
    return functions;
}

uint32_t ScreenDeviceDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
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
    return SystemDpi();
}

int SystemMetricForDpi(int index, uint32_t dpi) {
    if (Functions().systemMetricsForDpi) {
        if (const int value = Functions().systemMetricsForDpi(index, dpi)) return value;
    }
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

void LeaveDpiChangesToTheProgram(HWND dialog) {
    if (dialog && Functions().setDialogDpiChangeBehavior) {
        Functions().setDialogDpiChangeBehavior(dialog, DIALOG_DPI_CHANGES_DISABLED, DIALOG_DPI_CHANGES_DISABLED);
    }
}

DialogUnits DialogUnitsOf(HFONT font) {
    static const wchar_t ALPHABET[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    DialogUnits units;
    HDC screen = GetDC(nullptr);
    if (!screen) return units;
    HGDIOBJ previous = SelectObject(screen, font ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICW metrics{};
    SIZE alphabet{};
    if (GetTextMetricsW(screen, &metrics) && GetTextExtentPoint32W(screen, ALPHABET, 52, &alphabet)) {
        units = DialogUnitsOfFont(alphabet.cx, metrics.tmHeight);
    }
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return units;
}
