// The 52-byte record handed to a calling program after each showing of the
// main dialog. It starts zero-filled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

struct ResultRecord {
    char diagram[8];  // the diagram-number text as typed, zero-terminated
    int32_t options;  // the option set itself (little-endian on the target)
    char result[40];  // the result word of the current verdict, zero-terminated
};
static_assert(sizeof(ResultRecord) == 52, "ResultRecord must be 52 bytes");
static_assert(offsetof(ResultRecord, diagram) == 0, "diagram at offset 0");
static_assert(offsetof(ResultRecord, options) == 8, "options at offset 8");
static_assert(offsetof(ResultRecord, result) == 12, "result at offset 12");

// Writes `text` into a fixed-size field: at most size - 1 characters and one
// terminating zero byte. Bytes after the terminator keep their old values.
inline void WriteTextField(char* field, size_t size, std::string_view text) {
    const size_t length = text.size() < size - 1 ? text.size() : size - 1;
    if (length > 0) std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

template <size_t N>
void WriteTextField(char (&field)[N], std::string_view text) {
    WriteTextField(field, N, text);
}
