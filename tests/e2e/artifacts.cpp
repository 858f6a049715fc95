// What the harness collects besides the checks: screenshots of dialogs and
// the addresses that the browser stand-in was asked to open.
#include <cstring>

#include "e2e.h"

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> bits;  // 24-bit, bottom-up rows padded to 4 bytes
    bool operator==(const Picture& other) const {
        return width == other.width && height == other.height && bits == other.bits;
    }
};

// Copies the window's rectangle of the screen.
Picture Capture(HWND window) {
    Picture picture;
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return picture;
    picture.width = rect.right - rect.left;
    picture.height = rect.bottom - rect.top;
    if (picture.width <= 0 || picture.height <= 0) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, picture.width, picture.height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        size_t size = static_cast<size_t>((picture.width * 3 + 3) & ~3) * static_cast<size_t>(picture.height);
        picture.bits.assign(static_cast<uint8_t*>(bits), static_cast<uint8_t*>(bits) + size);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

bool WriteBmp(const std::wstring& path, const Picture& picture) {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = picture.width;
    info.biHeight = picture.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(picture.bits.size());
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(out, &file, sizeof file, &written, nullptr) &&
              WriteFile(out, &info, sizeof info, &written, nullptr) &&
              WriteFile(out, picture.bits.data(), info.biSizeImage, &written, nullptr);
    CloseHandle(out);
    return ok;
}

}  // namespace

bool SaveScreenshot(HWND window, const std::string& name) {
    if (Config.shotsDir.empty()) return true;
    // Painting happens when the program's queue runs empty; the picture is
    // taken once three captures in a row agree.
    Picture last;
    int same = 0;
    bool stable = WaitUntil(
        [&] {
            Picture now = Capture(window);
            same = (!now.bits.empty() && now == last) ? same + 1 : 0;
            last = std::move(now);
            return same >= 2;
        },
        kStepTimeout);
    bool saved = stable && WriteBmp(Config.shotsDir + L"\\" + Widen(name) + L".bmp", last);
    return Check(saved, "screenshot " + name + " saved", stable ? "" : "the window's picture kept changing");
}

std::vector<std::string> BrowserLogLines() {
    std::vector<std::string> lines;
    if (Config.browserLog.empty()) return lines;
    HANDLE in = CreateFileW(Config.browserLog.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) return lines;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(in);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}
