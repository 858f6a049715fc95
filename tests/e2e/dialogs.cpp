// Finding the program's dialogs and message boxes, reading their controls
// and driving them as a user would, from the harness's process.
#include <cstdio>

#include "e2e.h"

const char* const kDialogCaption = "Quorvane sign illumination tool";

namespace {

// Every message to the program's windows is bounded: a hung program makes
// a check fail instead of stopping the run.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kStepTimeout, &result)) return 0;
    return static_cast<LRESULT>(result);
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::string WindowTextBySending(HWND window) {
    LRESULT length = Send(window, WM_GETTEXTLENGTH);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, 0);
    Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return Narrow(buffer.data());
}

struct FindState {
    DWORD pid;
    std::wstring caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<FindState*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != state->pid || !IsWindowVisible(window) || ClassName(window) != L"#32770") return TRUE;
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    if (state->caption == caption) state->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    auto* list = reinterpret_cast<std::vector<ChildInfo>*>(param);
    ChildInfo info;
    info.window = window;
    info.id = GetDlgCtrlID(window);
    info.className = Narrow(ClassName(window));
    info.style = GetWindowLongW(window, GWL_STYLE);
    info.text = info.className == "Edit" || info.className == "EDIT" ? WindowTextBySending(window) : Caption(window);
    list->push_back(info);
    return TRUE;
}

}  // namespace

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
}

DialogKind KindOf(HWND dialog) {
    if (!dialog) return DialogKind::None;
    if (GetDlgItem(dialog, IDC_LAMP_COLUMN)) return DialogKind::Main;
    if (GetDlgItem(dialog, IDC_CHECK_UPDATES)) return DialogKind::About;
    return DialogKind::Other;
}

const char* KindName(DialogKind kind) {
    switch (kind) {
        case DialogKind::None:
            return "no";
        case DialogKind::Main:
            return "a main";
        case DialogKind::About:
            return "an About";
        case DialogKind::Other:
            return "another";
    }
    return "?";
}

std::vector<HWND> FindDialogs(DWORD pid, const std::string& caption) {
    FindState state{pid, Widen(caption), {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

HWND WaitForNextDialog(ChildProcess& child, HWND previous, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            if (previous && IsWindow(previous)) return false;
            for (HWND dialog : FindDialogs(child.Pid(), kDialogCaption)) {
                if (dialog != previous) {
                    found = dialog;
                    return true;
                }
            }
            return !child.Running();
        },
        timeoutMs);
    return found;
}

HWND ExpectDialog(ChildProcess& child, HWND previous, DialogKind kind, const std::string& what) {
    HWND dialog = WaitForNextDialog(child, previous, previous ? kStepTimeout : kStartTimeout);
    DialogKind got = KindOf(dialog);
    std::string detail;
    if (!dialog) {
        detail = child.Running() ? "no dialog within the time limit"
                                 : "the program ended with exit code " + std::to_string(child.ExitCode());
    } else if (got != kind) {
        detail = std::string(KindName(got)) + " dialog appeared";
    }
    Check(got == kind, what, detail);
    return got == kind ? dialog : nullptr;
}

void ExpectExit(ChildProcess& child, HWND previous, int32_t code, const std::string& what) {
    HWND next = WaitForNextDialog(child, previous, kStepTimeout);
    if (next) {
        Check(false, what, std::string(KindName(KindOf(next))) + " dialog appeared instead");
        child.Terminate();
        return;
    }
    if (!child.WaitForExit(kStepTimeout)) {
        Check(false, what, "the program did not end");
        child.Terminate();
        return;
    }
    CheckInt(child.ExitCode(), code, what);
}

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

std::string EditText(HWND dialog, int id) {
    HWND edit = Item(dialog, id);
    return edit ? WindowTextBySending(edit) : std::string();
}

std::string Caption(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, 0);
    GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return Narrow(buffer.data());
}

std::string ControlText(HWND dialog, int id) {
    HWND control = Item(dialog, id);
    return control ? Caption(control) : std::string();
}

bool IsTicked(HWND dialog, int id) {
    HWND control = Item(dialog, id);
    return control && Send(control, BM_GETCHECK) == BST_CHECKED;
}

bool IsEnabled(HWND dialog, int id) {
    HWND control = Item(dialog, id);
    return control && IsWindowEnabled(control);
}

bool IsShown(HWND dialog, int id) {
    HWND control = Item(dialog, id);
    return control && IsWindowVisible(control);
}

std::vector<ChildInfo> Children(HWND dialog) {
    std::vector<ChildInfo> list;
    EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&list));
    return list;
}

void SetEditText(HWND dialog, int id, const std::string& text) {
    std::wstring wide = Widen(text);
    Send(Item(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void TypeKeys(HWND dialog, int id, const std::string& keys) {
    HWND edit = Item(dialog, id);
    LRESULT end = Send(edit, WM_GETTEXTLENGTH);
    Send(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    for (wchar_t key : Widen(keys)) PostMessageW(edit, WM_CHAR, key, 1);
}

void Click(HWND dialog, int id) {
    SetForegroundWindow(dialog);
    PostMessageW(Item(dialog, id), BM_CLICK, 0, 0);
    Settle(dialog);
}

bool SendClick(HWND dialog, int id) {
    SetForegroundWindow(dialog);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(Item(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, kStepTimeout, &result) != 0;
}

void ClickLater(HWND dialog, int id) {
    SetForegroundWindow(dialog);
    PostMessageW(Item(dialog, id), BM_CLICK, 0, 0);
}

void ClickLabel(HWND dialog, int id) {
    HWND label = Item(dialog, id);
    RECT rect{};
    GetClientRect(label, &rect);
    LPARAM point = MAKELPARAM((rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2);
    SetForegroundWindow(dialog);
    PostMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(label, WM_LBUTTONUP, 0, point);
}

void PressKey(HWND dialog, WPARAM key) {
    SetForegroundWindow(dialog);
    PostMessageW(dialog, WM_KEYDOWN, key, 1);
}

void CloseBySystem(HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

bool Settle(HWND dialog) {
    HWND edit = Item(dialog, IDC_DIAGRAM_NUMBER);
    if (!edit) {
        Send(dialog, WM_NULL);
        return true;
    }
    // The text box's length limit serves as the marker: a posted change of
    // it is handled after everything posted before it, and it is put back.
    static WPARAM counter = 0;
    const LRESULT original = Send(edit, EM_GETLIMITTEXT);
    const WPARAM marker = 0x100000 + ++counter;
    PostMessageW(edit, EM_SETLIMITTEXT, marker, 0);
    // A click that ends the dialog takes the marker with it.
    bool settled = WaitUntil(
        [&] { return !IsWindow(edit) || static_cast<WPARAM>(Send(edit, EM_GETLIMITTEXT)) == marker; }, kStepTimeout);
    if (IsWindow(edit)) Send(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(original));
    return settled;
}

HWND WaitForMessageBox(DWORD pid, const std::string& caption, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            std::vector<HWND> found = FindDialogs(pid, caption);
            box = found.empty() ? nullptr : found.front();
            return box != nullptr;
        },
        timeoutMs);
    return box;
}

std::string MessageBoxText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    if (!text) text = GetDlgItem(box, -1);
    return text ? WindowTextBySending(text) : std::string();
}

void AnswerMessageBox(HWND box, int buttonId) {
    SetForegroundWindow(box);
    PostMessageW(GetDlgItem(box, buttonId), BM_CLICK, 0, 0);
}
