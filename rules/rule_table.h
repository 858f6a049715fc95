// The rule table: diagram-number patterns with their requirement flags,
// the options that do not apply to them and an optional label.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Requirement flags: bit numbers in Rule::requirement.
enum : int {
    REQ_UNLIT = 0,
    REQ_LIT_NEAR_LAMP = 1,
    REQ_LIT_IF_CONDITION = 2,
    REQ_LIT_ON_GANTRY = 3,
    REQ_OTHER_BOLLARD = 4,
    REQ_INTERNAL_ON_SIGNAL_HEAD = 5,
    REQ_INTERNAL = 6,
    REQ_REFER_TSRGD = 7,
    REQ_NOT_APPLICABLE = 15,
};

// Options: bit numbers in Rule::disabledOptions and in OptionSet. Bits 6 to 8
// have no name and no control.
enum : int {
    OPT_LAMP_COLUMN = 0,
    OPT_NORMAL_POSTS = 1,
    OPT_SELF_RIGHTING_BOLLARD = 2,
    OPT_BOLLARD = 3,
    OPT_GANTRY = 4,
    OPT_SIGNAL_HEAD = 5,
    OPT_20MPH = 9,
    OPT_REPEATER = 10,
    OPT_CONDITION = 11,
    OPT_FIRST = OPT_LAMP_COLUMN,  // the options that a control or a rule can name
    OPT_LAST = OPT_CONDITION,
};

// Bits 1 to 6 are the mounting group: choosing a mounting clears them all
// and sets its own. Bit 6, the last, has no control.
constexpr int MOUNTING_GROUP_FIRST = OPT_NORMAL_POSTS;
constexpr int MOUNTING_GROUP_LAST = 6;

constexpr bool HasBit(uint32_t set, int bit) { return (set >> bit) & 1u; }
constexpr uint32_t Bit(int bit) { return uint32_t{1} << bit; }

struct Rule {
    std::string pattern;
    uint32_t requirement = 0;
    uint32_t disabledOptions = 0;
    std::string label;

    // Worked out from the pattern when the row is loaded, so that matching a
    // keystroke does not re-read every pattern.
    std::string prefix;     // the pattern up to its first "x" or "*"
    double boundValue = 0;  // the value of the pattern with every "x" as "9"
    bool hasStar = false;   // a "*" accepts everything after the prefix
};

constexpr int32_t RULE_TABLE_CAPACITY = 500;

// A row as the matching tries it on every keystroke, in 32 bytes kept apart
// from the rows' texts: the prefix's first 8 bytes in one word, compared
// with the text's first 8 at once.
struct RowKey {
    uint64_t prefixWord = 0;  // the prefix's first 8 bytes, zero bytes after it
    uint64_t prefixMask = 0;  // all ones in the bytes that the prefix fills
    double bound = 0;         // the largest value accepted; infinite for "*"
    uint32_t prefixLength = 0;
};

// The rows that a text can reach, by its first two bytes, so that a
// keystroke tries only those: the rows with an empty prefix, the rows whose
// prefix is the first byte alone, and the rows whose prefix begins with the
// first byte and a second byte of the text's second byte's class (its low 4
// bits, which tell the ten digits apart). Each range of `candidates` lists
// such rows, counted from 0, in table order.
struct RowIndex {
    struct Range {
        uint32_t begin = 0;
        uint32_t end = 0;
    };
    static constexpr int CLASSES = 16;
    static int ClassOf(unsigned char second) { return second & (CLASSES - 1); }
    static int Slot(unsigned char first, unsigned char second) { return first * CLASSES + ClassOf(second); }

    std::vector<RowKey> keys;  // keys[0] is row 1's
    std::vector<uint16_t> candidates;
    std::vector<Range> bySlot;  // 256 * CLASSES ranges; none for an empty table
};

struct RuleTable {
    std::vector<Rule> rows;  // rows[0] is row 1
    RowIndex index;          // made with the rows
    int32_t count = 0;

    // Row `row`, counting from 1; the caller keeps 1 <= row <= count.
    const Rule& operator[](int32_t row) const { return rows[static_cast<size_t>(row - 1)]; }
};

// Parses the table text into `table` (rows from 1, `count` afresh) and
// returns `count`. The table ends at the first line with an empty pattern
// and never holds more than RULE_TABLE_CAPACITY rows.
int32_t ParseRuleTable(std::string_view text, RuleTable& table);

// Reads a binary numeral, most significant digit first, up to the first
// character that is not 0 or 1. Digits beyond 32 shift the earlier ones out.
uint32_t ReadBinaryNumeral(std::string_view text);

// Loads the embedded rule table text into `table` and returns its count.
int32_t LoadRuleTable(RuleTable& table);

// The embedded table, loaded on first use and never changed afterwards: its
// bytes are the same for every user of the engine, so all of them read the
// one copy (count 0 when the text cannot be found).
const RuleTable& TheRuleTable();

// The embedded rule table text (a resource on Windows, compiled-in bytes
// natively). Empty when it cannot be found.
std::string_view RuleTableText();
