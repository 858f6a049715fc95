// Any text loads as a table of at most 500 rows with non-empty patterns, and
// every typed text matches a row of it or none.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "rule_table.h"
#include "rules_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // The text up to the first NUL is the table; what follows is typed text.
    size_t split = input.find('\0');
    std::string_view tableText = input.substr(0, split);
    std::string_view typed = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    RuleTable table;
    const int32_t count = ParseRuleTable(tableText, table);
    if (count < 0 || count > RULE_TABLE_CAPACITY || count != table.count) std::abort();
    for (int32_t row = 1; row <= count; ++row) {
        if (table[row].pattern.empty()) std::abort();
        if (table[row].pattern.compare(0, table[row].prefix.size(), table[row].prefix) != 0) std::abort();
    }

    const std::string normalised = NormaliseDiagramText(typed);
    for (char c : normalised) {
        if (c == '-' || c == '<' || c == '>' || (c >= 'a' && c <= 'z')) std::abort();
    }
    const int32_t row = FindMatchingRow(table, normalised);
    if (row < 0 || row > count) std::abort();
    if (normalised.size() < 3 && row != 0) std::abort();
    if (row > 0 && normalised.compare(0, table[row].prefix.size(), table[row].prefix) != 0) std::abort();
    return 0;
}
