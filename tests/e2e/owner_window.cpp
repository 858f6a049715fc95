// The harness's own window: the owner that the program reports to, and the
// message handling that every wait of the harness runs.
#include "e2e.h"
#include "font_report.h"

namespace {

std::vector<ReceivedCopyData> Records;
unsigned DpiForTheReporter = 0;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        ReceivedCopyData record{data->dwData, {}};
        const auto* bytes = static_cast<const uint8_t*>(data->lpData);
        if (bytes) record.bytes.assign(bytes, bytes + data->cbData);
        Records.push_back(std::move(record));
        return TRUE;
    }
    if (message == kReporterAsks) return static_cast<LRESULT>(DpiForTheReporter);
    return DefWindowProcW(window, message, wParam, lParam);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

HWND OwnerWindow() {
    static HWND window = [] {
        WNDCLASSW cls{};
        cls.lpfnWndProc = OwnerProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = kHarnessWindowClass;
        RegisterClassW(&cls);
        // Never shown: the program only needs a window to own its dialogs
        // and to receive the records.
        return CreateWindowExW(0, cls.lpszClassName, L"Brantle test caller", WS_OVERLAPPEDWINDOW, 0, 0, 240, 120,
                               nullptr, nullptr, cls.hInstance, nullptr);
    }();
    return window;
}

std::string OwnerArgument() { return std::to_string(reinterpret_cast<uintptr_t>(OwnerWindow())); }

std::vector<ReceivedCopyData>& ReceivedRecords() { return Records; }

void SetDpiForTheReporter(unsigned dpi) { DpiForTheReporter = dpi; }

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) {
            PumpMessages();
            return done();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}
