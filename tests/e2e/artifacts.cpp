// What the harness collects besides the checks: screenshots of dialogs and
// the addresses that the browser stand-in was asked to open.
#include <cstring>
#include <functional>

#include "e2e.h"

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> bits;  // 24-bit, bottom-up rows padded to 4 bytes
    bool operator==(const Picture& other) const {
        return width == other.width && height == other.height && bits == other.bits;
    }
};

// Copies a rectangle of the screen.
Picture Capture(const RECT& rect) {
    Picture picture;
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

Picture CaptureWindow(HWND window) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return {};
    return Capture(rect);
}

// The client area of a window on the screen: what the program paints,
// without the frame and caption that the window manager draws.
Picture CaptureClient(HWND window) {
    RECT rect{};
    if (!GetClientRect(window, &rect)) return {};
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return Capture(rect);
}

// Captures until three pictures in a row agree (painting happens when the
// program's queue runs empty); empty when the picture kept changing.
Picture StablePicture(const std::function<Picture()>& capture) {
    Picture last;
    int same = 0;
    bool stable = WaitUntil(
        [&] {
            Picture now = capture();
            same = (!now.bits.empty() && now == last) ? same + 1 : 0;
            last = std::move(now);
            return same >= 2;
        },
        kStepTimeout);
    return stable ? last : Picture{};
}

// Reads a 24-bit uncompressed BMP file into the bottom-up layout of Capture.
bool ReadBmp(const std::wstring& path, Picture& picture) {
    HANDLE in = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) return false;
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    DWORD got = 0;
    while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    CloseHandle(in);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    if (bytes.size() < sizeof file + sizeof info) return false;
    std::memcpy(&file, bytes.data(), sizeof file);
    std::memcpy(&info, bytes.data() + sizeof file, sizeof info);
    if (file.bfType != 0x4D42 || info.biBitCount != 24 || info.biCompression != BI_RGB || info.biWidth <= 0 ||
        info.biHeight == 0)
        return false;
    const int height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    const size_t rowBytes = static_cast<size_t>((info.biWidth * 3 + 3) & ~3);
    if (file.bfOffBits + rowBytes * static_cast<size_t>(height) > bytes.size()) return false;
    picture.width = info.biWidth;
    picture.height = height;
    picture.bits.resize(rowBytes * static_cast<size_t>(height));
    for (int row = 0; row < height; ++row) {
        // Capture's rows run bottom-up; a negative height stores them top-down.
        const int from = info.biHeight < 0 ? height - 1 - row : row;
        std::memcpy(&picture.bits[rowBytes * static_cast<size_t>(row)],
                    &bytes[file.bfOffBits + rowBytes * static_cast<size_t>(from)], rowBytes);
    }
    return true;
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
    Picture picture = StablePicture([&] { return CaptureWindow(window); });
    bool saved = !picture.bits.empty() && WriteBmp(Config.shotsDir + L"\\" + Widen(name) + L".bmp", picture);
    return Check(saved, "screenshot " + name + " saved",
                 picture.bits.empty() ? "the window's picture kept changing" : "");
}

bool CheckAgainstReference(HWND window, const std::string& name) {
    if (Config.referenceDir.empty() || ScreenDpi() != 96) return true;
    const std::string what = "the client area of " + name + " is the reference picture pixel for pixel";
    // The dialog painted afresh, all at once: where two controls overlap
    // (the main dialog's "Location/ mounting" label reaches into the option
    // buttons beside it), the picture would otherwise depend on which of
    // them last painted on its own.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Picture got = StablePicture([&] { return CaptureClient(window); });
    if (got.bits.empty()) return Check(false, what, "the client area kept changing");
    // Whatever differs, the picture is kept beside the screenshots to look
    // at (and, for a new reference, to start from).
    const std::string keptAs = " (the client area is saved as " + name + "-client)";
    auto keep = [&] {
        if (!Config.shotsDir.empty()) WriteBmp(Config.shotsDir + L"\\" + Widen(name) + L"-client.bmp", got);
    };
    Picture want;
    if (!ReadBmp(Config.referenceDir + L"\\" + Widen(name) + L".bmp", want)) {
        keep();
        return Check(false, what, "the reference picture cannot be read" + keptAs);
    }
    if (got.width != want.width || got.height != want.height) {
        keep();
        return Check(false, what,
                     "size " + std::to_string(got.width) + " x " + std::to_string(got.height) + ", the reference " +
                         std::to_string(want.width) + " x " + std::to_string(want.height) + keptAs);
    }
    // Counts the differing pixels and the rectangle around them.
    const size_t rowBytes = static_cast<size_t>((got.width * 3 + 3) & ~3);
    long differing = 0;
    int left = got.width, top = got.height, right = -1, bottom = -1;
    for (int row = 0; row < got.height; ++row) {
        const int y = got.height - 1 - row;
        for (int x = 0; x < got.width; ++x) {
            const size_t at = rowBytes * static_cast<size_t>(row) + static_cast<size_t>(x) * 3;
            if (std::memcmp(&got.bits[at], &want.bits[at], 3) == 0) continue;
            ++differing;
            left = x < left ? x : left;
            right = x > right ? x : right;
            top = y < top ? y : top;
            bottom = y > bottom ? y : bottom;
        }
    }
    if (differing == 0) return Check(true, what);
    keep();
    return Check(false, what,
                 std::to_string(differing) + " pixels differ, within x " + std::to_string(left) + "-" +
                     std::to_string(right) + ", y " + std::to_string(top) + "-" + std::to_string(bottom) + keptAs);
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
