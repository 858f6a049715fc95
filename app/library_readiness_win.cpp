// Making brantle.exe ready for calls when another program has loaded it
// with LoadLibrary to call its export.
//
// Windows prepares an .exe that another program loads only for reading its
// resources: it maps the image, but binds none of its imports, runs neither
// its entry point nor the runtime's start-up, and relocates it only where
// the memory manager chose its address (ASLR), since the loader relocates
// libraries alone. A call into it faults at its first imported function.
// The first call through the export therefore does, once per load of the
// module, what the loader and the runtime's start-up would have done:
//
// - It checks that the module lies where its absolute addresses expect it:
//   relocated by the system, or at its preferred base (which the build
//   chooses away from the usual base of programs). Elsewhere none of its
//   code may run, and the export fails at once.
// - It binds every import. kernel32, which every process has loaded, is
//   found in the loaded-module list of the process environment block, and
//   its GetProcAddress in its export directory; each library that the
//   program imports is then loaded from the system directory, as the
//   program loads system libraries, and each function looked up by name or
//   ordinal. The import address table's page protection is restored
//   afterwards.
// - It runs the runtime's relocator for data imported from libraries.
// - Where exceptions unwind by DWARF frame tables (the 32-bit build), it
//   registers the module's table with the module's own unwinder. (The
//   64-bit build unwinds by the image's function table, which Windows
//   finds for every loaded module.)
//
// It runs no constructors: the program's own code has none (the build
// checks that). The runtime's two would register functions to run at exit,
// and crtbegin's, in the 32-bit build, would give the frame table to a
// libgcc DLL of the calling program, if it had one loaded, which would keep
// it after this module had gone. Without them, the runtime's reserve for
// exceptions thrown when not even an exception's few bytes can be allocated
// is not set up.
//
// Nothing is undone: an .exe hears nothing of FreeLibrary. The libraries
// loaded stay loaded until the calling program ends; the frame table is
// registered inside this module and goes with it. Nothing of this module is
// registered to run when the calling program exits (the build checks that
// the program's code registers nothing at exit), so nothing of it can run
// after FreeLibrary has unloaded it. A new load starts again from the file.
//
// Until the imports are bound, this file and mapped_image.cpp may call no
// function through them: every system function used here is looked up
// through the GetProcAddress found in kernel32, and the build checks that
// their objects refer to no import and no library function.
#include "library_readiness_win.h"

#include <windows.h>
#include <winternl.h>

#include <atomic>
#include <cstdint>

#include "mapped_image.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;
// The MinGW runtime's own: applies the pseudo-relocations of data imported
// from libraries, once.
extern "C" void _pei386_runtime_relocator(void);
#if !defined(__SEH__) && !defined(__USING_SJLJ_EXCEPTIONS__)
#define BRANTLE_DWARF_FRAMES 1
// libgcc's: registers a frame table that ends with a zero word with the
// unwinder that this module links.
extern "C" void __register_frame(const void* begin);
#endif

namespace {

using GetProcAddressFunction = FARPROC(WINAPI*)(HMODULE, LPCSTR);
using GetModuleHandleFunction = HMODULE(WINAPI*)(LPCWSTR);
using InitOnceFunction = BOOL(WINAPI*)(PINIT_ONCE, PINIT_ONCE_FN, PVOID, LPVOID*);
using LoadLibraryExFunction = HMODULE(WINAPI*)(LPCWSTR, HANDLE, DWORD);
using GetSystemDirectoryFunction = UINT(WINAPI*)(LPWSTR, UINT);
using VirtualProtectFunction = BOOL(WINAPI*)(LPVOID, SIZE_T, DWORD, PDWORD);

std::atomic<bool> Ready{false};
INIT_ONCE Once = INIT_ONCE_STATIC_INIT;

// How far this module lies from where its absolute addresses say it lies:
// 0 when it lies at its preferred base, or when the system has relocated it
// for where it lies (ASLR); otherwise the loader has left it unrelocated,
// since it relocates only libraries. Reads the address of a label relative
// to the instruction pointer, which is right wherever the module lies, and
// the same address written absolutely into the code, which is relocated
// only with the rest; the x86 code takes its own address from a call.
// Nothing is read from memory: a memory read of an absolute address could
// land anywhere.
intptr_t ModuleDisplacement() {
    uintptr_t here = 0, named = 0;
#if defined(__x86_64__)
    __asm__ volatile("lea 0f(%%rip), %0\n0: movabs $0b, %1" : "=&r"(here), "=r"(named) : : "memory");
#elif defined(__i386__)
    __asm__ volatile("call 0f\n0: pop %0\n\tmov $0b, %1" : "=&r"(here), "=r"(named) : : "memory");
#else
#error "no way to read this module's displacement for this processor"
#endif
    return static_cast<intptr_t>(here - named);
}

// A module that the process has loaded, by its file name, from the
// loaded-module list of the process environment block; null when none.
HMODULE LoadedModule(const char* fileName) {
    // GCC takes the thread block's segment-relative read for an access to
    // an empty array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
    const PEB* peb = NtCurrentTeb()->ProcessEnvironmentBlock;
#pragma GCC diagnostic pop
    const LIST_ENTRY* head = &peb->Ldr->InMemoryOrderModuleList;
    for (const LIST_ENTRY* link = head->Flink; link != head; link = link->Flink) {
        const auto* entry = CONTAINING_RECORD(link, LDR_DATA_TABLE_ENTRY, InMemoryOrderLinks);
        const UNICODE_STRING& name = entry->FullDllName;
        if (name.Buffer &&
            PathNamesFile(reinterpret_cast<const uint16_t*>(name.Buffer), name.Length / sizeof(WCHAR), fileName))
            return static_cast<HMODULE>(entry->DllBase);
    }
    return nullptr;
}

// kernel32's functions that making the module ready calls, looked up with
// GetProcAddress, and the system directory, where the imported libraries
// are loaded from.
struct Kernel {
    HMODULE module;
    GetProcAddressFunction getProcAddress;
    GetModuleHandleFunction getModuleHandle;
    LoadLibraryExFunction loadLibraryEx;
    GetSystemDirectoryFunction getSystemDirectory;
    VirtualProtectFunction virtualProtect;
    WCHAR path[MAX_PATH + 1];  // the system directory and "\", then a name
    UINT directoryLength;
};

// An imported library from the system directory, by its full path; the
// libraries that it needs in turn are looked for there first too.
void* ImportedLibrary(void* context, const char* name) {
    auto& kernel = *static_cast<Kernel*>(context);
    UINT at = kernel.directoryLength;
    for (const char* c = name; *c; ++c) {
        if (at >= MAX_PATH) return nullptr;
        kernel.path[at++] = static_cast<WCHAR>(static_cast<unsigned char>(*c));
    }
    kernel.path[at] = 0;
    return kernel.loadLibraryEx(kernel.path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

uintptr_t ImportedFunction(void* context, void* library, const char* name, uint32_t ordinal) {
    const auto& kernel = *static_cast<const Kernel*>(context);
    const char* which = name ? name : reinterpret_cast<const char*>(static_cast<uintptr_t>(ordinal));
    return reinterpret_cast<uintptr_t>(kernel.getProcAddress(static_cast<HMODULE>(library), which));
}

BOOL CALLBACK PrepareOnce(PINIT_ONCE, PVOID parameter, PVOID*) {
    Kernel& kernel = *static_cast<Kernel*>(parameter);
    uint8_t* const base = reinterpret_cast<uint8_t*>(&__ImageBase);
    // Started from this file, the process was prepared by the loader and
    // the runtime's start-up.
    if (kernel.getModuleHandle(nullptr) == reinterpret_cast<HMODULE>(base)) return TRUE;

    kernel.directoryLength = kernel.getSystemDirectory(kernel.path, MAX_PATH);
    if (kernel.directoryLength == 0 || kernel.directoryLength >= MAX_PATH) return FALSE;
    kernel.path[kernel.directoryLength++] = L'\\';

    // Every thunk lies in the import address table, which the loader
    // itself makes writable while it binds.
    MappedImage image;
    if (!OpenMappedImage(base, image)) return FALSE;
    const ImageRange thunks = ImageDirectory(image, IMAGE_IMPORT_THUNKS);
    DWORD protection = 0;
    if (thunks.size > 0 && !kernel.virtualProtect(base + thunks.rva, thunks.size, PAGE_READWRITE, &protection))
        return FALSE;
    const bool bound = BindImports(image, {&kernel, ImportedLibrary, ImportedFunction});
    DWORD unused = 0;
    if (thunks.size > 0) kernel.virtualProtect(base + thunks.rva, thunks.size, protection, &unused);
    if (!bound) return FALSE;

    // From here on the program's imports work.
    _pei386_runtime_relocator();
#ifdef BRANTLE_DWARF_FRAMES
    // The section table keeps ".eh_frame" cut to 8 characters.
    const ImageRange frames = ImageSection(image, ".eh_fram");
    if (frames.size > 0) __register_frame(base + frames.rva);
#endif
    return TRUE;
}

}  // namespace

bool MakeReadyForCallers() {
    // Where this module's absolute addresses are wrong, nothing of it may
    // run but this check (see ModuleDisplacement).
    if (ModuleDisplacement() != 0) return false;
    if (Ready.load(std::memory_order_acquire)) return true;
    // GetProcAddress is found in kernel32's export directory, everything
    // else through it.
    Kernel kernel;
    MappedImage image;
    kernel.module = LoadedModule("kernel32.dll");
    if (!kernel.module || !OpenMappedImage(reinterpret_cast<uint8_t*>(kernel.module), image)) return false;
    kernel.getProcAddress = reinterpret_cast<GetProcAddressFunction>(ExportedAddress(image, "GetProcAddress"));
    if (!kernel.getProcAddress) return false;
    auto find = [&kernel](const char* name) {
        return reinterpret_cast<void*>(kernel.getProcAddress(kernel.module, name));
    };
    kernel.getModuleHandle = reinterpret_cast<GetModuleHandleFunction>(find("GetModuleHandleW"));
    kernel.loadLibraryEx = reinterpret_cast<LoadLibraryExFunction>(find("LoadLibraryExW"));
    kernel.getSystemDirectory = reinterpret_cast<GetSystemDirectoryFunction>(find("GetSystemDirectoryW"));
    kernel.virtualProtect = reinterpret_cast<VirtualProtectFunction>(find("VirtualProtect"));
    // Two threads of the caller may call at once: one prepares, the other
    // waits for it.
    const auto initOnce = reinterpret_cast<InitOnceFunction>(find("InitOnceExecuteOnce"));
    if (!kernel.getModuleHandle || !kernel.loadLibraryEx || !kernel.getSystemDirectory || !kernel.virtualProtect ||
        !initOnce || !initOnce(&Once, PrepareOnce, &kernel, nullptr))
        return false;
    Ready.store(true, std::memory_order_release);
    return true;
}
