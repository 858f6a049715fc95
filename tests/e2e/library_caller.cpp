// Plays a program that loads brantle.exe as a library to call its export
// BRANTLE, as a calling application of the same word size does:
//
//   brantle_library_caller <brantle.exe> <harness window> <initial number>
//                          [--preferred-base-taken]
//
// With a window of its own as the owner and the initial number as a string
// handle (its byte length in the 32 bits before the characters), it calls
// BRANTLE by name, by ordinal 1 and by name again, frees the library, loads
// it once more, calls it by ordinal and frees it. With
// --preferred-base-taken it first takes the address that brantle.exe
// prefers, so that the module must be placed elsewhere, and calls it once.
// Each step is reported to the harness's window as a line of text
// (library_caller.h); the harness drives the dialogs and judges the lines.
// It ends by returning from wmain, so the runtime's exit handling runs after
// brantle.exe has gone: exit code 0 when loading, finding and freeing went
// as expected, 1 when a step failed.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "library_caller.h"

namespace {

using BrantleFunction = int32_t(WINAPI*)(uint32_t owner, const char* const* initialNumber);

HWND Harness = nullptr;

void Report(const std::string& line) {
    COPYDATASTRUCT data{};
    data.dwData = kLibraryCallerReport;
    data.cbData = static_cast<DWORD>(line.size());
    data.lpData = const_cast<char*>(line.data());
    SendMessageW(Harness, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

// The base address and image size that the file asks for.
bool PreferredPlace(const wchar_t* path, uintptr_t& base, SIZE_T& size) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::vector<uint8_t> head(4096);
    DWORD got = 0;
    const bool read = ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr);
    CloseHandle(file);
    if (!read || got < sizeof(IMAGE_DOS_HEADER)) return false;
    IMAGE_DOS_HEADER dos;
    std::memcpy(&dos, head.data(), sizeof dos);
    if (dos.e_lfanew < 0 || static_cast<size_t>(dos.e_lfanew) + sizeof(IMAGE_NT_HEADERS) > got) return false;
    IMAGE_NT_HEADERS nt;
    std::memcpy(&nt, head.data() + dos.e_lfanew, sizeof nt);
    // A module of the caller's own word size: the only kind it can load.
    if (nt.Signature != IMAGE_NT_SIGNATURE || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) return false;
    base = static_cast<uintptr_t>(nt.OptionalHeader.ImageBase);
    size = nt.OptionalHeader.SizeOfImage;
    return true;
}

// The initial number as a string handle: the pointer to its characters,
// after their 32-bit length and before a zero byte.
struct StringHandle {
    std::vector<char> bytes;
    const char* characters = nullptr;
    explicit StringHandle(const std::string& text) : bytes(4 + text.size() + 1, '\0') {
        const uint32_t length = static_cast<uint32_t>(text.size());
        std::memcpy(bytes.data(), &length, 4);
        std::memcpy(bytes.data() + 4, text.data(), text.size());
        characters = bytes.data() + 4;
    }
};

// One call: reports what it returned and whether the owner is enabled again.
void Call(BrantleFunction brantle, const char* how, HWND owner, const StringHandle& number) {
    const int32_t result = brantle(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(owner)), &number.characters);
    Report(std::string("BRANTLE by ") + how + " returned " + std::to_string(result) +
           (IsWindowEnabled(owner) ? ", owner enabled" : ", owner still disabled"));
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool baseTaken = argc == 5 && std::wcscmp(argv[4], L"--preferred-base-taken") == 0;
    if (argc != 4 && !baseTaken) return 2;
    const wchar_t* path = argv[1];
    Harness = reinterpret_cast<HWND>(static_cast<uintptr_t>(_wtoi64(argv[2])));
    int size = WideCharToMultiByte(CP_ACP, 0, argv[3], -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? static_cast<size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, argv[3], -1, &text[0], size, nullptr, nullptr);
    text.resize(std::strlen(text.c_str()));
    const StringHandle number(text);

    uintptr_t preferred = 0;
    SIZE_T imageSize = 0;
    if (!PreferredPlace(path, preferred, imageSize)) {
        Report("brantle.exe's headers could not be read");
        return 1;
    }
    if (baseTaken && !VirtualAlloc(reinterpret_cast<void*>(preferred), imageSize, MEM_RESERVE, PAGE_NOACCESS)) {
        Report("the preferred base could not be taken");
        return 1;
    }

    WNDCLASSW cls{};
    cls.lpfnWndProc = OwnerProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"BrantleLibraryCaller";
    RegisterClassW(&cls);
    HWND owner = CreateWindowExW(0, cls.lpszClassName, L"Brantle library caller", WS_OVERLAPPEDWINDOW, 0, 0, 240, 120,
                                 nullptr, nullptr, cls.hInstance, nullptr);

    bool stepsWent = owner != nullptr;
    for (int load = 1; load <= (baseTaken ? 1 : 2); ++load) {
        HMODULE module = LoadLibraryW(path);
        if (!module) {
            Report("LoadLibraryW failed with error " + std::to_string(GetLastError()));
            return 1;
        }
        const bool moved = reinterpret_cast<uintptr_t>(module) != preferred;
        Report(std::string("loaded ") + (moved ? "away from its preferred base" : "at its preferred base"));
        auto byName = reinterpret_cast<BrantleFunction>(reinterpret_cast<void*>(GetProcAddress(module, "BRANTLE")));
        auto byOrdinal =
            reinterpret_cast<BrantleFunction>(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(1))));
        if (!byName || byName != byOrdinal) {
            Report("BRANTLE is not exported by name at ordinal 1");
            return 1;
        }
        if (baseTaken) {
            stepsWent = stepsWent && moved;
            Call(byName, "name", owner, number);
        } else if (load == 1) {
            Call(byName, "name", owner, number);
            Call(byOrdinal, "ordinal", owner, number);
            Call(byName, "name", owner, number);
        } else {
            Call(byOrdinal, "ordinal", owner, number);
        }
        const bool freed = FreeLibrary(module) != FALSE;
        const bool gone = !GetModuleHandleW(path);
        stepsWent = stepsWent && freed && gone;
        Report(std::string(freed ? "freed" : "FreeLibrary failed") + (gone ? ", unloaded" : ", still loaded"));
    }
    DestroyWindow(owner);
    return stepsWent ? 0 : 1;
}
