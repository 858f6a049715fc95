// Reading the length-prefixed text that a caller of BRANTLE passes.
#include "string_handle.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The caller's side: a 32-bit length, the bytes, and a zero byte after them.
struct StringHandle {
    explicit StringHandle(const std::string& text, uint32_t length) : storage(4 + text.size() + 1, '\0') {
        std::memcpy(storage.data(), &length, 4);
        std::memcpy(storage.data() + 4, text.data(), text.size());
        handle = storage.data() + 4;
    }
    explicit StringHandle(const std::string& text) : StringHandle(text, static_cast<uint32_t>(text.size())) {}
    std::vector<char> storage;
    const char* handle;
};

TEST(StringHandle, TextByItsLength) {
    const std::string texts[] = {"652",
                                 "",
                                 "601.1",
                                 std::string("6\0"
                                             "2",
                                             3),
                                 "\xA3\xFF\x80",
                                 std::string(300, 'x')};
    for (const std::string& text : texts) {
        StringHandle h(text);
        EXPECT_EQ(TextOfStringHandle(&h.handle), text);
    }
}

TEST(StringHandle, LengthDecidesNotTheTerminator) {
    StringHandle h("642.25", 3);
    EXPECT_EQ(TextOfStringHandle(&h.handle), "642");
}

TEST(StringHandle, NullIsEmpty) {
    const char* nullHandle = nullptr;
    EXPECT_EQ(TextOfStringHandle(&nullHandle), "");
    EXPECT_EQ(TextOfStringHandle(nullptr), "");
}

}  // namespace
