#include "mapped_image.h"

#include <cstring>

namespace {

// A field at `rva`; memcpy of a fixed size is a single load, no call.
template <typename T>
T Field(const MappedImage& image, uint32_t rva) {
    T value;
    std::memcpy(&value, image.base + rva, sizeof value);
    return value;
}

bool Inside(const MappedImage& image, uint32_t rva, uint32_t size) {
    return rva <= image.size && size <= image.size - rva;
}

// The zero-terminated name at `rva`, or null when it does not end inside
// the image.
const char* NameAt(const MappedImage& image, uint32_t rva) {
    for (uint32_t at = rva; rva != 0 && at < image.size; ++at) {
        if (image.base[at] == 0) return reinterpret_cast<const char*>(image.base + rva);
    }
    return nullptr;
}

// Compared here, not by strcmp: nothing may be called.
bool SameName(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

uint16_t FoldCase(uint16_t c) { return c >= 'A' && c <= 'Z' ? static_cast<uint16_t>(c + ('a' - 'A')) : c; }

}  // namespace

bool OpenMappedImage(uint8_t* base, MappedImage& image) {
    image = MappedImage{base, 4096, false, 0, 0, 0, 0};
    // The headers lie in the first page, which the loader always maps.
    if (!base || base[0] != 'M' || base[1] != 'Z') return false;
    const uint32_t nt = Field<uint32_t>(image, 0x3C);
    if (nt > 4096 - 24 - 112 || Field<uint32_t>(image, nt) != 0x4550) return false;  // "PE\0\0"
    const uint32_t optional = nt + 24;  // after the signature and the file header
    const uint16_t magic = Field<uint16_t>(image, optional);
    image.wide = magic == 0x20B;
    if (!image.wide && magic != 0x10B) return false;
    const uint32_t count = optional + (image.wide ? 108 : 92);  // NumberOfRvaAndSizes
    image.directoryCount = Field<uint32_t>(image, count);
    image.directoriesAt = count + 4;
    image.sectionCount = Field<uint16_t>(image, nt + 6);
    image.sectionsAt = optional + Field<uint16_t>(image, nt + 20);  // after the optional header
    if (image.directoryCount > 16 || image.directoriesAt + 8 * image.directoryCount > image.sectionsAt ||
        !Inside(image, image.sectionsAt, 40 * image.sectionCount))
        return false;
    image.size = Field<uint32_t>(image, optional + 56);  // SizeOfImage
    return image.size >= 4096;
}

ImageRange ImageDirectory(const MappedImage& image, uint32_t index) {
    if (index >= image.directoryCount) return {};
    const uint32_t at = image.directoriesAt + 8 * index;
    const ImageRange range{Field<uint32_t>(image, at), Field<uint32_t>(image, at + 4)};
    return range.rva != 0 && Inside(image, range.rva, range.size) ? range : ImageRange{};
}

ImageRange ImageSection(const MappedImage& image, const char* name) {
    // The table keeps 8 bytes, padded with zeros.
    uint8_t padded[8] = {};
    for (size_t k = 0; k < 8 && name[k]; ++k) padded[k] = static_cast<uint8_t>(name[k]);
    uint64_t wanted;
    std::memcpy(&wanted, padded, 8);
    for (uint32_t at = image.sectionsAt; at < image.sectionsAt + 40 * image.sectionCount; at += 40) {
        if (Field<uint64_t>(image, at) != wanted) continue;
        const ImageRange range{Field<uint32_t>(image, at + 12), Field<uint32_t>(image, at + 8)};
        return Inside(image, range.rva, range.size) ? range : ImageRange{};
    }
    return {};
}

bool BindImports(const MappedImage& image, const ImportResolver& resolver) {
    const ImageRange imports = ImageDirectory(image, IMAGE_IMPORTS);
    const uint32_t width = image.wide ? 8 : 4;
    const uint64_t byOrdinal = uint64_t{1} << (8 * width - 1);
    // One descriptor per library (lookup list, time, chain, name, thunks),
    // up to one whose name is 0.
    for (uint32_t at = imports.rva; imports.size != 0; at += 20) {
        if (!Inside(image, at, 20)) return false;
        const uint32_t lookup = Field<uint32_t>(image, at), thunks = Field<uint32_t>(image, at + 16);
        const uint32_t name = Field<uint32_t>(image, at + 12);
        if (name == 0) return true;
        const char* libraryName = NameAt(image, name);
        void* library = libraryName && lookup ? resolver.library(resolver.context, libraryName) : nullptr;
        if (!library) return false;
        for (uint32_t i = 0;; i += width) {
            if (!Inside(image, lookup + i, width) || !Inside(image, thunks + i, width)) return false;
            const uint64_t entry = image.wide ? Field<uint64_t>(image, lookup + i) : Field<uint32_t>(image, lookup + i);
            if (entry == 0) break;
            // By ordinal, or by the name after a 2-byte hint.
            const char* function = entry & byOrdinal ? nullptr : NameAt(image, static_cast<uint32_t>(entry) + 2);
            if (!function && !(entry & byOrdinal)) return false;
            const uintptr_t address =
                resolver.function(resolver.context, library, function, static_cast<uint32_t>(entry & 0xFFFF));
            if (address == 0) return false;
            if (image.wide) {
                const uint64_t value = address;
                std::memcpy(image.base + thunks + i, &value, 8);
            } else {
                const uint32_t value = static_cast<uint32_t>(address);
                std::memcpy(image.base + thunks + i, &value, 4);
            }
        }
    }
    return true;
}

uintptr_t ExportedAddress(const MappedImage& image, const char* name) {
    const ImageRange exports = ImageDirectory(image, IMAGE_EXPORTS);
    if (exports.size < 40) return 0;
    const uint32_t functionCount = Field<uint32_t>(image, exports.rva + 20);
    const uint32_t nameCount = Field<uint32_t>(image, exports.rva + 24);
    const uint32_t functions = Field<uint32_t>(image, exports.rva + 28);
    const uint32_t names = Field<uint32_t>(image, exports.rva + 32);
    const uint32_t ordinals = Field<uint32_t>(image, exports.rva + 36);
    if (functionCount > image.size / 4 || nameCount > image.size / 4 || !Inside(image, functions, 4 * functionCount) ||
        !Inside(image, names, 4 * nameCount) || !Inside(image, ordinals, 2 * nameCount))
        return 0;
    for (uint32_t i = 0; i < nameCount; ++i) {
        const char* exported = NameAt(image, Field<uint32_t>(image, names + 4 * i));
        if (!exported || !SameName(exported, name)) continue;
        const uint16_t index = Field<uint16_t>(image, ordinals + 2 * i);
        const uint32_t rva = index < functionCount ? Field<uint32_t>(image, functions + 4 * index) : 0;
        // An address inside the export directory is a forwarder's text.
        const bool forwarded = rva >= exports.rva && rva - exports.rva < exports.size;
        return rva != 0 && rva < image.size && !forwarded ? reinterpret_cast<uintptr_t>(image.base + rva) : 0;
    }
    return 0;
}

bool PathNamesFile(const uint16_t* path, size_t length, const char* name) {
    size_t start = length;
    while (start > 0 && path[start - 1] != '\\' && path[start - 1] != '/') --start;
    size_t i = 0;
    for (; start + i < length; ++i) {
        if (name[i] == 0 || FoldCase(path[start + i]) != FoldCase(static_cast<unsigned char>(name[i]))) return false;
    }
    return name[i] == 0;
}
