// A PE image as the system's loader lays it out in memory: its headers at
// its base and each section at its relative virtual address. Reads what
// binding the image's imports and finding another image's export need,
// from the PE format's own offsets and without Windows' headers, so that it
// builds and is tested natively (on little-endian machines, as Windows is).
// Every address it follows is checked against the image's size.
//
// brantle.exe runs this before its own imports are bound, when another
// program has loaded it (library_readiness_win.cpp): it may call no
// library function, and the build checks that it refers to none.
#pragma once

#include <cstddef>
#include <cstdint>

struct MappedImage {
    uint8_t* base = nullptr;
    uint32_t size = 0;           // SizeOfImage
    bool wide = false;           // PE32+: 64-bit thunks and ordinal flag
    uint32_t directoriesAt = 0;  // the data directories, from the base
    uint32_t directoryCount = 0;
    uint32_t sectionsAt = 0;  // the section table, from the base
    uint32_t sectionCount = 0;
};

// A part of an image by relative virtual address; size 0 for none.
struct ImageRange {
    uint32_t rva = 0;
    uint32_t size = 0;
};

// The data directories that are read here.
constexpr uint32_t IMAGE_EXPORTS = 0;
constexpr uint32_t IMAGE_IMPORTS = 1;
constexpr uint32_t IMAGE_IMPORT_THUNKS = 12;  // every thunk the loader writes

// Reads the headers of the image at `base`; false when they are not those
// of a PE32 or PE32+ image whose directories and section table fit it.
bool OpenMappedImage(uint8_t* base, MappedImage& image);

// The data directory `index`; size 0 when the image has none or it reaches
// beyond the image.
ImageRange ImageDirectory(const MappedImage& image, uint32_t index);

// The section named `name` (up to 8 characters, as the section table keeps
// a name); size 0 when there is none.
ImageRange ImageSection(const MappedImage& image, const char* name);

// What binding asks for: each imported library by its name, then each of
// its functions, by name, or by ordinal when `name` is null.
struct ImportResolver {
    void* context;
    void* (*library)(void* context, const char* name);                                        // null: not found
    uintptr_t (*function)(void* context, void* library, const char* name, uint32_t ordinal);  // 0: not found
};

// Writes the address of every imported function into its thunk, as the
// loader does for a library; the thunks must be writable. False at the
// first library or function that cannot be found, at a library without a
// lookup list, or at an import that reaches beyond the image. The lookup
// lists stay as they were, so binding again after a failure is harmless.
bool BindImports(const MappedImage& image, const ImportResolver& resolver);

// The address of the function that the image exports as `name`; 0 when it
// exports none, or forwards that name to another library.
uintptr_t ExportedAddress(const MappedImage& image, const char* name);

// Whether the file that `path` (UTF-16, `length` code units) names is
// `name` (ASCII): its last component, after the last "\" or "/", equals it
// in any case of the letters A to Z.
bool PathNamesFile(const uint16_t* path, size_t length, const char* name);
