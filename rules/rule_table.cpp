#include "rule_table.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "read_number.h"
#include "text_field.h"

namespace {

void DerivePatternParts(Rule& rule) {
    size_t wildcard = rule.pattern.find_first_of("x*");
    rule.prefix = rule.pattern.substr(0, wildcard == std::string::npos ? rule.pattern.size() : wildcard);
    std::string bound = rule.pattern;
    for (char& c : bound) {
        if (c == 'x') c = '9';
    }
    rule.boundValue = ReadNumber(bound);
    rule.hasStar = rule.pattern.find('*') != std::string::npos;
}

// The table holds at most RULE_TABLE_CAPACITY rows, so row numbers fit 16 bits.
static_assert(RULE_TABLE_CAPACITY <= 65535, "row numbers are kept in 16 bits");

RowKey MakeRowKey(const Rule& rule) {
    RowKey key;
    key.prefixLength = static_cast<uint32_t>(rule.prefix.size());
    const size_t packed = std::min(rule.prefix.size(), sizeof key.prefixWord);
    std::memcpy(&key.prefixWord, rule.prefix.data(), packed);
    std::memset(&key.prefixMask, 0xFF, packed);
    key.bound = rule.hasStar ? std::numeric_limits<double>::infinity() : rule.boundValue;
    return key;
}

// Appends the rows that `reaches` accepts, in table order, as one range.
template <typename Reaches>
RowIndex::Range AddCandidates(const std::vector<Rule>& rows, RowIndex& index, Reaches reaches) {
    RowIndex::Range range;
    range.begin = static_cast<uint32_t>(index.candidates.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        if (reaches(rows[i].prefix)) index.candidates.push_back(static_cast<uint16_t>(i));
    }
    range.end = static_cast<uint32_t>(index.candidates.size());
    return range;
}

void MakeRowIndex(const std::vector<Rule>& rows, RowIndex& index) {
    index.keys.clear();
    index.candidates.clear();
    index.bySlot.clear();
    if (rows.empty()) return;
    for (const Rule& rule : rows) index.keys.push_back(MakeRowKey(rule));

    // Which first bytes, and which classes after them, some prefix has; the
    // slots that no prefix singles out share one range. So at most
    // 2 * count + 1 ranges are lists of their own, each at most count long.
    bool firstBytes[256] = {};
    uint32_t classesAfter[256] = {};
    for (const Rule& rule : rows) {
        if (rule.prefix.empty()) continue;
        const unsigned char first = static_cast<unsigned char>(rule.prefix[0]);
        firstBytes[first] = true;
        if (rule.prefix.size() >= 2) classesAfter[first] |= 1u << RowIndex::ClassOf(rule.prefix[1]);
    }
    const RowIndex::Range open = AddCandidates(rows, index, [](const std::string& prefix) { return prefix.empty(); });
    index.bySlot.assign(256 * RowIndex::CLASSES, open);
    for (int first = 0; first < 256; ++first) {
        if (!firstBytes[first]) continue;
        const auto startsWithFirst = [first](const std::string& prefix) {
            return !prefix.empty() && static_cast<unsigned char>(prefix[0]) == first;
        };
        const RowIndex::Range shorter = AddCandidates(rows, index, [&](const std::string& prefix) {
            return prefix.empty() || (startsWithFirst(prefix) && prefix.size() == 1);
        });
        for (int cls = 0; cls < RowIndex::CLASSES; ++cls) {
            const int slot = first * RowIndex::CLASSES + cls;
            if (!(classesAfter[first] >> cls & 1u)) {
                index.bySlot[static_cast<size_t>(slot)] = shorter;
                continue;
            }
            index.bySlot[static_cast<size_t>(slot)] = AddCandidates(rows, index, [&](const std::string& prefix) {
                return prefix.empty() ||
                       (startsWithFirst(prefix) && (prefix.size() == 1 || RowIndex::ClassOf(prefix[1]) == cls));
            });
        }
    }
}

Rule ParseRuleLine(std::string_view line) {
    Rule rule;
    rule.pattern = std::string(TrimSpaces(TextField(line, 1)));
    rule.requirement = ReadBinaryNumeral(TextField(line, 2));
    rule.disabledOptions = ReadBinaryNumeral(TextField(line, 3));
    rule.label = std::string(TrimSpaces(TextField(line, 4)));
    DerivePatternParts(rule);
    return rule;
}

}  // namespace

uint32_t ReadBinaryNumeral(std::string_view text) {
    uint32_t value = 0;
    for (char c : text) {
        if (c != '0' && c != '1') break;
        value = (value << 1) | static_cast<uint32_t>(c - '0');
    }
    return value;
}

int32_t ParseRuleTable(std::string_view text, RuleTable& table) {
    // Lines end at CR LF; the text after the last CR LF is a line too, so an
    // empty text is one empty line.
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (lines.size() < static_cast<size_t>(RULE_TABLE_CAPACITY)) {
        size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }

    table.rows.clear();
    table.count = 0;
    for (std::string_view line : lines) {
        Rule rule = ParseRuleLine(line);
        if (rule.pattern.empty()) break;  // a blank line ends the table
        table.rows.push_back(std::move(rule));
    }
    table.count = static_cast<int32_t>(table.rows.size());
    MakeRowIndex(table.rows, table.index);
    return table.count;
}

int32_t LoadRuleTable(RuleTable& table) { return ParseRuleTable(RuleTableText(), table); }

const RuleTable& TheRuleTable() {
    // Made on first use, also when another program has loaded brantle.exe to
    // call its export and the program's own start-up code has not run. Never
    // destroyed: a destructor registered to run at exit would run when that
    // program ends, after it may have unloaded brantle.exe.
    static const RuleTable* const table = [] {
        auto* loaded = new RuleTable;
        LoadRuleTable(*loaded);
        return loaded;
    }();
    return *table;
}
