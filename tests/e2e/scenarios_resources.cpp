// What the executable carries: the rule table, the artwork, the manifest,
// the version information and the exported BRANTLE.
#include "scenario_support.h"

#include <algorithm>
#include <cstring>

namespace {

struct Resource {
    const uint8_t* data = nullptr;
    DWORD size = 0;
};

Resource Find(HMODULE module, const wchar_t* name, const wchar_t* type) {
    HRSRC info = FindResourceW(module, name, type);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(module, info);
    return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, info)};
}

// The `width` x `height` pixels (0x00RRGGBB, rows top to bottom) that
// `paint` draws into a 32-bit picture first filled with `fill`; pixels that
// it leaves out keep the fill. Empty when it does not draw.
template <typename Paint>
std::vector<uint32_t> Painted(int width, int height, COLORREF fill, Paint paint) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint32_t> out;
    HDC memory = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP target = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (target && bits) {
        auto* pixels = static_cast<uint32_t*>(bits);
        std::fill(pixels, pixels + count, GetRValue(fill) << 16 | GetGValue(fill) << 8 | GetBValue(fill));
        HGDIOBJ previous = SelectObject(memory, target);
        const bool drawn = paint(memory);
        GdiFlush();
        SelectObject(memory, previous);
        if (drawn) out.assign(pixels, pixels + count);
    }
    if (target) DeleteObject(target);
    DeleteDC(memory);
    return out;
}

COLORREF PixelAt(const std::vector<uint32_t>& pixels, size_t at) {
    if (at >= pixels.size()) return CLR_INVALID;
    return RGB(pixels[at] >> 16 & 0xFF, pixels[at] >> 8 & 0xFF, pixels[at] & 0xFF);
}

std::string ColourText(COLORREF colour) {
    return std::to_string(GetRValue(colour)) + "," + std::to_string(GetGValue(colour)) + "," +
           std::to_string(GetBValue(colour));
}

// A bitmap resource's size, colour depth and compression. Drawn by the
// system from the resource's bytes, its top-left pixel must be the grey
// that LR_LOADMAP3DCOLORS maps to the face colour, and a run-length encoded
// one must paint every pixel (a pixel that its data skips keeps what was
// there before: black in a new bitmap). Loaded as the program loads it,
// the top-left pixel is the face colour.
void CheckBitmap(HMODULE module, const wchar_t* name, int width, int height, int bits, DWORD compression) {
    std::string what = Narrow(name) + " bitmap";
    Resource bitmap = Find(module, name, MAKEINTRESOURCEW(2));  // RT_BITMAP
    if (!Check(bitmap.data && bitmap.size >= sizeof(BITMAPINFOHEADER), what + " present")) return;
    BITMAPINFOHEADER header;
    std::memcpy(&header, bitmap.data, sizeof header);
    const char* kind = compression == BI_RLE8   ? "run-length encoded (BI_RLE8)"
                       : compression == BI_RLE4 ? "run-length encoded (BI_RLE4)"
                                                : "uncompressed";
    Check(header.biWidth == width && header.biHeight == height && header.biBitCount == bits &&
              header.biCompression == compression,
          what + " is " + std::to_string(width) + " x " + std::to_string(height) + " with " + std::to_string(bits) +
              " bits per pixel, " + kind,
          std::to_string(header.biWidth) + " x " + std::to_string(header.biHeight) + " x " +
              std::to_string(header.biBitCount) + ", compression " + std::to_string(header.biCompression));
    const size_t colours = header.biClrUsed ? header.biClrUsed : (1u << bits);
    const size_t rowBytes = ((static_cast<size_t>(width) * static_cast<size_t>(bits) + 31) / 32) * 4;
    const size_t pixelBytes = compression == BI_RGB ? rowBytes * static_cast<size_t>(height) : header.biSizeImage;
    const size_t pixelsAt = header.biSize + 4 * colours;
    if (!Check(pixelsAt <= bitmap.size && pixelBytes <= bitmap.size - pixelsAt, what + " holds all its pixels")) return;

    auto draw = [&](HDC target) {
        return SetDIBitsToDevice(target, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                                 static_cast<UINT>(height), bitmap.data + pixelsAt,
                                 reinterpret_cast<const BITMAPINFO*>(bitmap.data), DIB_RGB_COLORS) == height;
    };
    const std::vector<uint32_t> overMagenta = Painted(width, height, RGB(255, 0, 255), draw);
    CheckText(ColourText(PixelAt(overMagenta, 0)), "192,192,192", what + " has the 192,192,192 background");
    if (compression != BI_RGB) {
        const std::vector<uint32_t> overGreen = Painted(width, height, RGB(0, 255, 0), draw);
        long unpainted = 0;
        for (size_t i = 0; i < overMagenta.size() && i < overGreen.size(); ++i)
            unpainted += overMagenta[i] != overGreen[i];
        Check(!overMagenta.empty() && overGreen.size() == overMagenta.size() && unpainted == 0,
              what + ": its data paints every pixel", std::to_string(unpainted) + " pixels left as they were");
    }

    HBITMAP loaded = static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    const std::vector<uint32_t> shown = Painted(width, height, RGB(255, 0, 255), [&](HDC target) {
        HDC source = CreateCompatibleDC(target);
        HGDIOBJ previous = SelectObject(source, loaded);
        const bool copied = BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY) != FALSE;
        SelectObject(source, previous);
        DeleteDC(source);
        return loaded && copied;
    });
    CheckText(ColourText(PixelAt(shown, 0)), ColourText(GetSysColor(COLOR_3DFACE)),
              what + " loaded with LR_LOADMAP3DCOLORS has the face colour as its background");
    if (loaded) DeleteObject(loaded);
}

std::string VersionString(const std::vector<uint8_t>& info, const char* key) {
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof(Translation))
        return "(no translation)";
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%hs", translation->language, translation->codePage, key);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(info.data(), path, reinterpret_cast<void**>(&value), &size) || !value) return "(missing)";
    return Narrow(value);
}

}  // namespace

E2E_SCENARIO(embedded_resources) {
    HMODULE module = LoadLibraryExW(Config.brantleExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!Check(module != nullptr, "brantle.exe loads as a data file")) return;

    Resource table = Find(module, L"BRANTLE", MAKEINTRESOURCEW(10));  // RT_RCDATA
    CheckInt(table.size, 3143, "the BRANTLE rule table holds 3143 bytes");
    if (!Config.ruleTable.empty() && table.data) {
        std::string source = ReadFileBytes(Config.ruleTable);
        Check(source.size() == table.size && std::memcmp(source.data(), table.data, table.size) == 0,
              "the rule table is the source file byte for byte");
    }

    // At 100 %, and drawn again at 150 % and 200 % for screens of higher
    // dpi, those run-length encoded.
    const struct {
        const wchar_t* name;
        int width, height, bits;
        DWORD compression;
    } bitmaps[] = {
        {L"QVTEXT", 184, 57, 8, BI_RGB},      {L"LBULB", 53, 56, 4, BI_RGB},       {L"KXLOGO", 172, 43, 8, BI_RGB},
        {L"QVTEXT150", 276, 86, 8, BI_RLE8},  {L"LBULB150", 80, 84, 4, BI_RLE4},   {L"KXLOGO150", 258, 65, 8, BI_RLE8},
        {L"QVTEXT200", 368, 114, 8, BI_RLE8}, {L"LBULB200", 106, 112, 4, BI_RLE4}, {L"KXLOGO200", 344, 86, 8, BI_RLE8},
    };
    for (const auto& b : bitmaps) CheckBitmap(module, b.name, b.width, b.height, b.bits, b.compression);

    Resource group = Find(module, L"AMAIN", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    std::string sizes;
    if (group.data && group.size >= 6) {
        WORD count = static_cast<WORD>(group.data[4] | group.data[5] << 8);
        for (WORD i = 0; i < count && 6u + 14u * (i + 1u) <= group.size; ++i) {
            int side = group.data[6 + 14 * i];
            sizes += (sizes.empty() ? "" : ",") + std::to_string(side == 0 ? 256 : side);
        }
    }
    CheckText(sizes, "16,20,24,32,40,48,64", "the AMAIN icon group holds 16, 20, 24, 32, 40, 48 and 64 pixel images");
    // Each size loaded as the program loads it (the larger ones are PNG
    // images) and drawn over white and over black: transparent at its
    // corner, opaque in its middle.
    for (int side : {16, 20, 24, 32, 40, 48, 64}) {
        const std::string what = "the " + std::to_string(side) + " pixel icon";
        HICON icon = static_cast<HICON>(LoadImageW(module, L"AMAIN", IMAGE_ICON, side, side, 0));
        if (!Check(icon != nullptr, what + " loads")) continue;
        COLORREF corner[2] = {}, middle[2] = {};
        int k = 0;
        for (COLORREF background : {RGB(255, 255, 255), RGB(0, 0, 0)}) {
            const std::vector<uint32_t> drawn = Painted(side, side, background, [&](HDC target) {
                return DrawIconEx(target, 0, 0, icon, side, side, 0, nullptr, DI_NORMAL) != FALSE;
            });
            corner[k] = PixelAt(drawn, 0);
            middle[k] = PixelAt(drawn, static_cast<size_t>(side / 2 * side + side / 2));
            ++k;
        }
        Check(corner[0] == RGB(255, 255, 255) && corner[1] == RGB(0, 0, 0) && middle[0] == middle[1] &&
                  middle[0] != CLR_INVALID && middle[0] != RGB(255, 255, 255) && middle[0] != RGB(0, 0, 0),
              what + " is transparent at its corner and opaque in its middle",
              "corner " + ColourText(corner[0]) + " over white, " + ColourText(corner[1]) + " over black; middle " +
                  ColourText(middle[0]) + " and " + ColourText(middle[1]));
        DestroyIcon(icon);
    }

    Resource manifest = Find(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    std::string text(reinterpret_cast<const char*>(manifest.data), manifest.data ? manifest.size : 0);
    Check(text.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
              text.find("6.0.0.0") != std::string::npos,
          "the manifest asks for common controls 6");
    Check(text.find("asInvoker") != std::string::npos, "the manifest asks to run as the invoker");
    FreeLibrary(module);

    DWORD handle = 0;
    DWORD infoSize = GetFileVersionInfoSizeW(Config.brantleExe.c_str(), &handle);
    std::vector<uint8_t> info(infoSize);
    if (Check(infoSize && GetFileVersionInfoW(Config.brantleExe.c_str(), 0, infoSize, info.data()),
              "version information present")) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT size = 0;
        VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size);
        Check(fixed && fixed->dwFileVersionMS == 0x00010001 && fixed->dwFileVersionLS == 0x00000001 &&
                  fixed->dwProductVersionMS == 0x00010001 && fixed->dwProductVersionLS == 0x00000001,
              "file and product version 1.1.0.1");
        CheckText(VersionString(info, "FileVersion"), "1.1.0.1", "FileVersion text");
        CheckText(VersionString(info, "ProductVersion"), "1.10", "ProductVersion text");
        CheckText(VersionString(info, "FileDescription"), "Quorvane sign illumination tool", "FileDescription");
        CheckText(VersionString(info, "ProductName"), "Brantle", "ProductName");
        CheckText(VersionString(info, "OriginalFilename"), "brantle.exe", "OriginalFilename");
    }

    // The export, by name and by ordinal 1; nothing of the program runs.
    HMODULE image = LoadLibraryExW(Config.brantleExe.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (Check(image != nullptr, "brantle.exe maps as an image")) {
        FARPROC byName = GetProcAddress(image, "BRANTLE");
        FARPROC byOrdinal = GetProcAddress(image, MAKEINTRESOURCEA(1));
        Check(byName && byName == byOrdinal, "BRANTLE is exported by name at ordinal 1");
        FreeLibrary(image);
    }
}

// The shell and the download library serve only a link click and the update
// check; a program that loads them at start-up starts slower for nothing.
E2E_SCENARIO(no_shell_or_download_library_at_start) {
    ChildProcess child;
    if (!StartBrantle(child, "/S")) return;
    HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "the main dialog");
    if (!main) return;
    Settle(main);
    const std::vector<std::string> modules = LoadedModules(child.Pid());
    if (Check(!modules.empty(), "the program's modules can be listed")) {
        auto loaded = [&](const char* name) {
            return std::find(modules.begin(), modules.end(), name) != modules.end();
        };
        // Guards the two checks below: the listing must name what is loaded.
        Check(loaded("user32.dll"), "the listing names the loaded libraries, user32.dll among them");
        Check(!loaded("shell32.dll"), "shell32.dll is not loaded while the main dialog shows");
        Check(!loaded("urlmon.dll"), "urlmon.dll is not loaded while the main dialog shows");
    }
    CloseBySystem(main);
    ExpectExit(child, main, -1, "the close box ends it; exit code -1");
}

// A library asked for by name, as the system's own libraries ask for theirs
// at run time, is looked for in the system folder alone: never in the
// program's folder, where a download may have planted one. The same request
// in a program without that restriction (the minimal dialog program, beside
// the planted library) shows that the planted library would be found.
E2E_SCENARIO(libraries_loaded_by_name_never_come_from_the_programs_folder) {
    const wchar_t kPlanted[] = L"brantle_planted_library.dll";
    const std::string planted = "brantle_planted_library.dll";
    wchar_t self[MAX_PATH] = {};
    const std::wstring harnessFolder = FolderOf(std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH)));
    const std::wstring plantedCopy = FolderOf(Config.brantleExe) + kPlanted;
    if (!Check(CopyFileW((harnessFolder + kPlanted).c_str(), plantedCopy.c_str(), FALSE) != FALSE,
               "a library is planted beside brantle.exe"))
        return;
    // Asks the program for the planted library by name; whether it then has
    // it loaded.
    auto loadsPlanted = [&](ChildProcess& child, const std::string& who) {
        Check(LoadLibraryInto(child.Handle(), kPlanted), who + ": LoadLibraryW runs in it");
        const std::vector<std::string> modules = LoadedModules(child.Pid());
        Check(!modules.empty(), who + ": its modules can be listed");
        return std::find(modules.begin(), modules.end(), planted) != modules.end();
    };

    ChildProcess minimal;
    if (Check(minimal.Start(harnessFolder + L"brantle_min_dialog.exe", ""), "the minimal dialog program starts")) {
        HWND dialog = WaitForNextDialog(minimal, nullptr, kStartTimeout);
        Check(dialog && loadsPlanted(minimal, "the minimal program"),
              "without the restriction the planted library is found by name");
    }

    ChildProcess child;
    if (StartBrantle(child, "/S")) {
        HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "the main dialog");
        if (main) {
            Check(!loadsPlanted(child, "brantle.exe"), "brantle.exe does not load the library planted in its folder");
            CloseBySystem(main);
            ExpectExit(child, main, -1, "the close box ends it; exit code -1");
        }
    }
    DeleteFileW(plantedCopy.c_str());
}
