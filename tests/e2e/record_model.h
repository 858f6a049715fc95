// The bytes that a calling application should receive in a result record,
// built by the same field writes as the program makes, so that leftovers
// behind a terminator are expected where they belong.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ExpectedRecord {
    std::array<uint8_t, 52> bytes{};  // starts zero-filled, as the program's

    // A change of the diagram-number text: its first 7 characters and a zero.
    ExpectedRecord& Diagram(std::string_view typed);
    // The option set, signed 32-bit little-endian at offset 8.
    ExpectedRecord& Options(int32_t options);
    // A wording: the field is emptied (one zero byte), then the result word
    // (at most 39 characters) and a zero are written at offset 12.
    ExpectedRecord& Result(std::string_view word);
    // A matching that finds no row: the result field is emptied.
    ExpectedRecord& NoResult();
};

// Empty when `got` holds exactly the expected 52 bytes; otherwise says
// which field differs and how.
std::string DescribeRecordDifference(const std::vector<uint8_t>& got, const ExpectedRecord& want);
