#include "rule_table.h"

#include "read_number.h"
#include "text_field.h"

RuleTable TheRuleTable;

namespace {

std::string TrimSpaces(std::string_view text) {
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    size_t end = text.find_last_not_of(' ');
    return std::string(text.substr(begin, end - begin + 1));
}

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

Rule ParseRuleLine(std::string_view line) {
    Rule rule;
    rule.pattern = TrimSpaces(TextField(line, 1));
    rule.requirement = ReadBinaryNumeral(TextField(line, 2));
    rule.disabledOptions = ReadBinaryNumeral(TextField(line, 3));
    rule.label = TrimSpaces(TextField(line, 4));
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
    return table.count;
}

int32_t LoadRuleTable() { return ParseRuleTable(RuleTableText(), TheRuleTable); }
