// Reading a PE image laid out as the loader maps it: headers, directories,
// sections, binding the imports and finding an export, in both word sizes,
// on images made here byte by byte.
#include "mapped_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kNt = 0x80;        // the PE signature
constexpr uint32_t kOptional = 0x98;  // the optional header
constexpr uint32_t kImageSize = 0x4000;
constexpr uint64_t kOrdinal32 = 0x80000000u;
constexpr uint64_t kOrdinal64 = 0x8000000000000000u;

// An image of either word size with 16 directories and no sections, all
// its bytes zero but the headers.
struct TestImage {
    explicit TestImage(bool wide) : wide(wide), bytes(kImageSize, 0) {
        bytes[0] = 'M';
        bytes[1] = 'Z';
        Put32(0x3C, kNt);
        Put32(kNt, 0x4550);
        Put16(kNt + 20, wide ? 240 : 224);  // SizeOfOptionalHeader
        Put16(kOptional, wide ? 0x20B : 0x10B);
        Put32(kOptional + 56, kImageSize);
        Put32(kOptional + (wide ? 108 : 92), 16);
    }
    void Put16(uint32_t at, uint16_t value) { std::memcpy(&bytes[at], &value, 2); }
    void Put32(uint32_t at, uint32_t value) { std::memcpy(&bytes[at], &value, 4); }
    void PutThunk(uint32_t at, uint64_t value) {
        if (wide) {
            std::memcpy(&bytes[at], &value, 8);
        } else {
            Put32(at, static_cast<uint32_t>(value));
        }
    }
    uint64_t Thunk(uint32_t at) const {
        uint64_t value = 0;
        std::memcpy(&value, &bytes[at], wide ? 8 : 4);
        return value;
    }
    void PutText(uint32_t at, const std::string& text) { std::memcpy(&bytes[at], text.c_str(), text.size() + 1); }
    void Directory(uint32_t index, uint32_t rva, uint32_t size) {
        const uint32_t at = kOptional + (wide ? 112 : 96) + 8 * index;
        Put32(at, rva);
        Put32(at + 4, size);
    }
    void Section(const char* name, uint32_t rva, uint32_t size) {
        const uint16_t count = static_cast<uint16_t>(bytes[kNt + 6] | bytes[kNt + 7] << 8);
        const uint32_t at = kOptional + (wide ? 240 : 224) + 40 * count;
        std::memcpy(&bytes[at], name, std::min<size_t>(std::strlen(name), 8));
        Put32(at + 8, size);
        Put32(at + 12, rva);
        Put16(kNt + 6, static_cast<uint16_t>(count + 1));
    }
    MappedImage Open() {
        MappedImage image;
        EXPECT_TRUE(OpenMappedImage(bytes.data(), image));
        return image;
    }
    uint32_t Width() const { return wide ? 8 : 4; }
    uint64_t OrdinalFlag() const { return wide ? kOrdinal64 : kOrdinal32; }

    bool wide;
    std::vector<uint8_t> bytes;
};

// Two libraries: KERNEL32.dll with GetProcAddress by name and ordinal 17,
// USER32.dll with MessageBoxW; each thunk starts as its lookup entry, as in
// a file.
constexpr uint32_t kDescriptors = 0x1000, kKernelLookup = 0x1300, kUserLookup = 0x1340;
constexpr uint32_t kKernelThunks = 0x1400, kUserThunks = 0x1440;

void AddImports(TestImage& image) {
    image.PutText(0x1100, "KERNEL32.dll");
    image.PutText(0x1110, "USER32.dll");
    image.PutText(0x1202, "GetProcAddress");  // after a 2-byte hint
    image.PutText(0x1222, "MessageBoxW");
    const uint64_t kernel[] = {0x1200, image.OrdinalFlag() | 17, 0};
    const uint64_t user[] = {0x1220, 0};
    for (uint32_t i = 0; i < 3; ++i) {
        image.PutThunk(kKernelLookup + i * image.Width(), kernel[i]);
        image.PutThunk(kKernelThunks + i * image.Width(), kernel[i]);
    }
    for (uint32_t i = 0; i < 2; ++i) {
        image.PutThunk(kUserLookup + i * image.Width(), user[i]);
        image.PutThunk(kUserThunks + i * image.Width(), user[i]);
    }
    const uint32_t descriptors[2][3] = {{kKernelLookup, 0x1100, kKernelThunks}, {kUserLookup, 0x1110, kUserThunks}};
    for (uint32_t i = 0; i < 2; ++i) {
        image.Put32(kDescriptors + 20 * i, descriptors[i][0]);
        image.Put32(kDescriptors + 20 * i + 12, descriptors[i][1]);
        image.Put32(kDescriptors + 20 * i + 16, descriptors[i][2]);
    }
    image.Directory(IMAGE_IMPORTS, kDescriptors, 60);
}

// The resolver's side: the libraries and functions that it knows, and what
// it was asked, in order.
struct FakeSystem {
    std::map<std::string, uintptr_t> functions{{"GetProcAddress", 0x7000A0}, {"MessageBoxW", 0x7100B0}};
    std::vector<std::string> asked;
    static void* Library(void* context, const char* name) {
        auto& system = *static_cast<FakeSystem*>(context);
        system.asked.push_back(std::string("library ") + name);
        return std::string(name) == "MISSING.dll" ? nullptr : &system;
    }
    static uintptr_t Function(void* context, void* library, const char* name, uint32_t ordinal) {
        auto& system = *static_cast<FakeSystem*>(context);
        EXPECT_EQ(library, &system);
        if (!name) {
            system.asked.push_back("ordinal " + std::to_string(ordinal));
            return 0x720000 + ordinal;
        }
        system.asked.push_back(name);
        const auto found = system.functions.find(name);
        return found == system.functions.end() ? 0 : found->second;
    }
    ImportResolver Resolver() { return {this, Library, Function}; }
};

TEST(MappedImage, BindsEveryThunkInBothWordSizes) {
    for (bool wide : {false, true}) {
        TestImage image(wide);
        AddImports(image);
        const MappedImage mapped = image.Open();
        EXPECT_EQ(mapped.wide, wide);
        FakeSystem system;
        ASSERT_TRUE(BindImports(mapped, system.Resolver())) << wide;
        EXPECT_EQ(image.Thunk(kKernelThunks), 0x7000A0u);
        EXPECT_EQ(image.Thunk(kKernelThunks + image.Width()), 0x720011u);
        EXPECT_EQ(image.Thunk(kKernelThunks + 2 * image.Width()), 0u) << "the terminator stays";
        EXPECT_EQ(image.Thunk(kUserThunks), 0x7100B0u);
        EXPECT_EQ(image.Thunk(kKernelLookup), 0x1200u) << "the lookup list is left as it was";
        const std::vector<std::string> asked = {"library KERNEL32.dll", "GetProcAddress", "ordinal 17",
                                                "library USER32.dll", "MessageBoxW"};
        EXPECT_EQ(system.asked, asked);
        // Binding again, as a second attempt after a failure does, gives
        // the same thunks.
        ASSERT_TRUE(BindImports(mapped, system.Resolver()));
        EXPECT_EQ(image.Thunk(kKernelThunks + image.Width()), 0x720011u);
    }
}

TEST(MappedImage, BindingStopsAtWhatCannotBeBound) {
    struct Case {
        const char* what;
        void (*spoil)(TestImage&);
    } cases[] = {
        {"a library that cannot be loaded", [](TestImage& i) { i.PutText(0x1110, "MISSING.dll"); }},
        {"a function that the library lacks", [](TestImage& i) { i.PutText(0x1222, "MessageBoxZ"); }},
        {"a library without a lookup list", [](TestImage& i) { i.Put32(kDescriptors + 20, 0); }},
        {"a library name beyond the image", [](TestImage& i) { i.Put32(kDescriptors + 12, kImageSize); }},
        {"a library name that runs off the image's end",
         [](TestImage& i) {
             std::memset(&i.bytes[kImageSize - 4], 'x', 4);
             i.Put32(kDescriptors + 12, kImageSize - 4);
         }},
        {"a function name beyond the image", [](TestImage& i) { i.PutThunk(kUserLookup, kImageSize - 1); }},
        {"thunks beyond the image", [](TestImage& i) { i.Put32(kDescriptors + 36, kImageSize - 2); }},
        {"descriptors that run off the image's end",
         [](TestImage& i) { i.Directory(IMAGE_IMPORTS, kImageSize - 10, 10); }},
    };
    for (bool wide : {false, true}) {
        for (const Case& c : cases) {
            TestImage image(wide);
            AddImports(image);
            c.spoil(image);
            FakeSystem system;
            EXPECT_FALSE(BindImports(image.Open(), system.Resolver())) << c.what << (wide ? " (PE32+)" : " (PE32)");
        }
    }
}

TEST(MappedImage, AnImageWithoutImportsIsBoundAtOnce) {
    TestImage image(true);
    FakeSystem system;
    EXPECT_TRUE(BindImports(image.Open(), system.Resolver()));
    EXPECT_TRUE(system.asked.empty());
}

TEST(MappedImage, HeadersThatAreNotAnImagesAreRefused) {
    struct Case {
        const char* what;
        void (*spoil)(TestImage&);
    } cases[] = {
        {"no MZ", [](TestImage& i) { i.bytes[1] = 'X'; }},
        {"no PE signature", [](TestImage& i) { i.Put32(kNt, 0x4551); }},
        {"an unknown optional header", [](TestImage& i) { i.Put16(kOptional, 0x107); }},
        {"headers beyond the first page", [](TestImage& i) { i.Put32(0x3C, 0x1000); }},
        {"more than 16 directories", [](TestImage& i) { i.Put32(kOptional + 108, 17); }},
        {"directories beyond the optional header", [](TestImage& i) { i.Put16(kNt + 20, 112); }},
        {"a section table beyond the first page", [](TestImage& i) { i.Put16(kNt + 6, 200); }},
        {"an image smaller than its headers' page", [](TestImage& i) { i.Put32(kOptional + 56, 0x800); }},
    };
    for (const Case& c : cases) {
        TestImage image(true);
        c.spoil(image);
        MappedImage mapped;
        EXPECT_FALSE(OpenMappedImage(image.bytes.data(), mapped)) << c.what;
    }
    MappedImage mapped;
    EXPECT_FALSE(OpenMappedImage(nullptr, mapped));
}

TEST(MappedImage, DirectoriesAndSections) {
    TestImage image(false);
    image.Directory(IMAGE_IMPORT_THUNKS, 0x1400, 0x50);
    image.Directory(IMAGE_EXPORTS, 0x3F00, 0x200);  // beyond the image's end
    image.Section(".text", 0x1000, 0x800);
    image.Section(".textbss", 0x2000, 0x100);
    image.Section(".eh_frame", 0x3000, 0x40);  // kept as .eh_fram
    const MappedImage mapped = image.Open();
    const ImageRange thunks = ImageDirectory(mapped, IMAGE_IMPORT_THUNKS);
    EXPECT_EQ(thunks.rva, 0x1400u);
    EXPECT_EQ(thunks.size, 0x50u);
    EXPECT_EQ(ImageDirectory(mapped, IMAGE_EXPORTS).size, 0u);
    EXPECT_EQ(ImageDirectory(mapped, IMAGE_IMPORTS).size, 0u);
    EXPECT_EQ(ImageDirectory(mapped, 16).size, 0u);
    EXPECT_EQ(ImageSection(mapped, ".text").rva, 0x1000u);
    EXPECT_EQ(ImageSection(mapped, ".textbss").rva, 0x2000u);
    EXPECT_EQ(ImageSection(mapped, ".eh_fram").rva, 0x3000u);
    EXPECT_EQ(ImageSection(mapped, ".eh_fram").size, 0x40u);
    EXPECT_EQ(ImageSection(mapped, ".tex").size, 0u);
    EXPECT_EQ(ImageSection(mapped, ".data").size, 0u);
}

// An export directory at 0x2000: names sorted, each with its index into the
// address table; "Forwarded" points inside the directory, at its text.
TestImage ImageWithExports() {
    TestImage image(true);
    const uint32_t directory = 0x2000, functions = 0x2100, names = 0x2140, ordinals = 0x2180;
    const char* exported[] = {"Alpha", "Forwarded", "GetProcAddress", "Stray"};
    const uint16_t index[] = {0, 1, 2, 7};  // Stray's index is beyond the table
    const uint32_t addresses[] = {0x1010, 0x2300, 0x1020};
    for (uint32_t i = 0; i < 4; ++i) {
        image.PutText(0x2200 + 0x20 * i, exported[i]);
        image.Put32(names + 4 * i, 0x2200 + 0x20 * i);
        image.Put16(ordinals + 2 * i, index[i]);
    }
    for (uint32_t i = 0; i < 3; ++i) image.Put32(functions + 4 * i, addresses[i]);
    image.PutText(0x2300, "NTDLL.RtlThing");
    image.Put32(directory + 20, 3);  // functions
    image.Put32(directory + 24, 4);  // names
    image.Put32(directory + 28, functions);
    image.Put32(directory + 32, names);
    image.Put32(directory + 36, ordinals);
    image.Directory(IMAGE_EXPORTS, directory, 0x400);
    return image;
}

TEST(MappedImage, ExportsByName) {
    TestImage image = ImageWithExports();
    const MappedImage mapped = image.Open();
    const auto at = [&](uint32_t rva) { return reinterpret_cast<uintptr_t>(image.bytes.data() + rva); };
    EXPECT_EQ(ExportedAddress(mapped, "GetProcAddress"), at(0x1020));
    EXPECT_EQ(ExportedAddress(mapped, "Alpha"), at(0x1010));
    EXPECT_EQ(ExportedAddress(mapped, "Forwarded"), 0u) << "a forwarder's text is no function";
    EXPECT_EQ(ExportedAddress(mapped, "Stray"), 0u);
    EXPECT_EQ(ExportedAddress(mapped, "GetProcAddres"), 0u);
    EXPECT_EQ(ExportedAddress(mapped, "GetProcAddressX"), 0u);
    EXPECT_EQ(ExportedAddress(mapped, ""), 0u);

    image.Put32(0x2000 + 24, 0x0FFFFFFF);  // more names than the image holds
    EXPECT_EQ(ExportedAddress(image.Open(), "Alpha"), 0u);
    TestImage none(true);
    EXPECT_EQ(ExportedAddress(none.Open(), "Alpha"), 0u);
}

TEST(MappedImage, PathNamesFile) {
    struct Case {
        std::u16string path;
        bool names;
    } cases[] = {
        {u"C:\\Windows\\System32\\KERNEL32.DLL", true},
        {u"C:\\windows\\system32\\kernel32.dll", true},
        {u"\\??\\C:\\Windows\\system32\\Kernel32.Dll", true},
        {u"C:/windows/system32/kernel32.dll", true},
        {u"kernel32.dll", true},
        {u"C:\\Windows\\System32\\kernel32.dll.mui", false},
        {u"C:\\Windows\\System32\\mykernel32.dll", false},
        {u"C:\\Windows\\System32\\kernel32", false},
        {u"C:\\kernel32.dll\\x.dll", false},
        {u"", false},
        {u"C:\\Windows\\", false},
        // Only A-Z fold: a letter outside ASCII whose low byte is "k" is
        // another letter.
        {u"C:\\x\\\u016Bernel32.dll", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathNamesFile(reinterpret_cast<const uint16_t*>(c.path.data()), c.path.size(), "kernel32.dll"),
                  c.names)
            << std::string(c.path.begin(), c.path.end());
    }
}

}  // namespace
