#include "string_handle.h"

#include <cstdint>
#include <cstring>

std::string TextOfStringHandle(const char* const* reference) {
    if (!reference || !*reference) return {};
    const char* characters = *reference;
    uint32_t length = 0;
    std::memcpy(&length, characters - sizeof length, sizeof length);
    return std::string(characters, length);
}
