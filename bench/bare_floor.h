// The least that matching one keystroke can cost, written here on its own
// and not with the engine's functions, as the yardstick for the engine's
// whole keystroke: normalise in one pass into a stack buffer, then return the
// first row whose prefix (packed into one 8-byte word) and bound accept the
// text. It reads the same rows as the engine but knows only what a plain
// diagram number needs: prefixes of at most 8 bytes, texts of at most 64.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct BareFloorRow {
    uint64_t prefix = 0;  // the pattern up to its first "x" or "*", zero-padded
    uint64_t mask = 0;    // all ones in the prefix's bytes
    double bound = 0;     // the pattern's value with every "x" as "9"; infinite with "*"
};

struct BareFloor {
    std::vector<BareFloorRow> rows;
    unsigned char upper[256] = {};  // Windows-1252 upper case
};

// The floor's own reading of the patterns; false for a pattern that it
// cannot pack.
bool MakeBareFloor(const std::vector<std::string>& patterns, BareFloor& floor);

// The row (from 1) that accepts the typed text, 0 for none, -1 for a text
// longer than the floor handles.
int32_t BareFloorMatch(const BareFloor& floor, std::string_view typed);
