// The yardstick of the start-up benchmark: the least a Win32 program does to
// show a 200 x 240 unit dialog with the tool's caption from an in-memory
// template. It ends when the dialog is closed.
#include <windows.h>

#include <cstdint>

namespace {

INT_PTR CALLBACK MinimalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    if (message == WM_CLOSE) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

// A DLGTEMPLATE with no controls: header, no menu, default class, caption,
// then the font block (DS_SETFONT).
template <size_t N>
size_t PutText(WORD* out, const wchar_t (&text)[N]) {
    for (size_t i = 0; i < N; ++i) out[i] = static_cast<WORD>(text[i]);
    return N;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    alignas(4) WORD buffer[128] = {};
    auto* header = reinterpret_cast<DLGTEMPLATE*>(buffer);
    header->style = WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | DS_CENTER;
    header->cdit = 0;
    header->cx = 200;
    header->cy = 240;
    WORD* p = reinterpret_cast<WORD*>(header + 1);
    *p++ = 0;  // no menu
    *p++ = 0;  // the standard dialog class
    p += PutText(p, L"Quorvane sign illumination tool");
    *p++ = 8;  // point size
    PutText(p, L"Tahoma");
    return static_cast<int>(
        DialogBoxIndirectParamW(instance, reinterpret_cast<DLGTEMPLATE*>(buffer), nullptr, MinimalDialogProc, 0));
}
