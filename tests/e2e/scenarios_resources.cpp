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

// A bitmap resource's size, colour depth and the colour of its top-left
// pixel, which must be the grey that LR_LOADMAP3DCOLORS maps to the face.
void CheckBitmap(HMODULE module, const wchar_t* name, int width, int height, int bits) {
    std::string what = Narrow(name) + " bitmap";
    Resource bitmap = Find(module, name, MAKEINTRESOURCEW(2));  // RT_BITMAP
    if (!Check(bitmap.data && bitmap.size >= sizeof(BITMAPINFOHEADER), what + " present")) return;
    BITMAPINFOHEADER header;
    std::memcpy(&header, bitmap.data, sizeof header);
    Check(header.biWidth == width && header.biHeight == height && header.biBitCount == bits &&
              header.biCompression == BI_RGB,
          what + " is " + std::to_string(width) + " x " + std::to_string(height) + " with " + std::to_string(bits) +
              " bits per pixel",
          std::to_string(header.biWidth) + " x " + std::to_string(header.biHeight) + " x " +
              std::to_string(header.biBitCount));
    size_t colours = header.biClrUsed ? header.biClrUsed : (1u << bits);
    const uint8_t* palette = bitmap.data + header.biSize;
    const uint8_t* pixels = palette + 4 * colours;
    size_t rowBytes = ((static_cast<size_t>(width) * static_cast<size_t>(bits) + 31) / 32) * 4;
    const uint8_t* topRow = pixels + rowBytes * static_cast<size_t>(height - 1);  // rows are stored bottom-up
    if (pixels + rowBytes * static_cast<size_t>(height) > bitmap.data + bitmap.size) {
        Check(false, what + " holds all its pixels");
        return;
    }
    unsigned index = bits == 8 ? topRow[0] : topRow[0] >> 4;
    const uint8_t* entry = palette + 4 * index;  // blue, green, red, 0
    Check(entry[0] == 192 && entry[1] == 192 && entry[2] == 192, what + " has the 192,192,192 background");
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

    CheckBitmap(module, L"QVTEXT", 184, 57, 8);
    CheckBitmap(module, L"LBULB", 53, 56, 4);
    CheckBitmap(module, L"KXLOGO", 172, 43, 8);

    Resource group = Find(module, L"AMAIN", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    std::string sizes;
    if (group.data && group.size >= 6) {
        WORD count = static_cast<WORD>(group.data[4] | group.data[5] << 8);
        for (WORD i = 0; i < count && 6u + 14u * (i + 1u) <= group.size; ++i) {
            int side = group.data[6 + 14 * i];
            sizes += (sizes.empty() ? "" : ",") + std::to_string(side == 0 ? 256 : side);
        }
    }
    CheckText(sizes, "16,32,48", "the AMAIN icon group holds 16, 32 and 48 pixel images");

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
