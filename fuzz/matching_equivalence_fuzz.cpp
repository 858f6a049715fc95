// The fast matching (one-pass normalising, the row index with packed
// prefixes, the short way of reading plain decimals) finds exactly what a
// plain reading of the rules finds, on random tables and typed texts:
// normalise step by step, try every row in order with its prefix and bound
// worked out from the pattern, read numbers through strtod.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "control_ids.h"
#include "read_number.h"
#include "rule_table.h"
#include "rules_engine.h"

namespace {

void Require(bool holds) {
    if (!holds) std::abort();
}

unsigned char PlainUpper(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
    return c == 0xFF ? 0x9F : c;
}

std::string PlainNormalise(std::string_view typed) {
    std::string text(typed);
    while (!text.empty() && text.front() == ' ') text.erase(0, 1);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    for (char& c : text) c = static_cast<char>(PlainUpper(static_cast<unsigned char>(c)));
    for (char& c : text) c = c == '-' ? '.' : c;
    std::string kept;
    for (char c : text) {
        if (c != '<' && c != '>') kept += c;
    }
    return kept;
}

bool IsOneOf(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

double PlainValue(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && IsOneOf(text[pos], " \t\r\n")) ++pos;
    if (pos < text.size() && text[pos] == '&') {
        if (pos + 1 >= text.size()) return 0;
        const char kind = text[pos + 1];
        const int base = IsOneOf(kind, "Hh") ? 16 : IsOneOf(kind, "Bb") ? 2 : 8;
        double value = 0;
        for (size_t i = IsOneOf(kind, "HhBbOoQq") ? pos + 2 : pos + 1; i < text.size(); ++i) {
            const char c = text[i];
            int digit = 99;
            if (c >= '0' && c <= '9') digit = c - '0';
            if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            if (digit >= base) break;
            value = value * base + digit;
        }
        return value;
    }
    std::string canonical;
    if (pos < text.size() && IsOneOf(text[pos], "+-")) {
        if (text[pos] == '-') canonical += '-';
        ++pos;
    }
    bool digits = false;
    bool point = false;
    for (; pos < text.size(); ++pos) {
        if (text[pos] >= '0' && text[pos] <= '9') {
            digits = true;
        } else if (text[pos] == '.' && !point) {
            point = true;
        } else {
            break;
        }
        canonical += text[pos];
    }
    if (!digits) return 0;
    if (pos < text.size() && IsOneOf(text[pos], "EeDd")) {
        std::string exponent = "e";
        size_t p = pos + 1;
        if (p < text.size() && IsOneOf(text[p], "+-")) exponent += text[p++];
        const size_t first = p;
        while (p < text.size() && text[p] >= '0' && text[p] <= '9') exponent += text[p++];
        if (p > first) canonical += exponent;
    }
    return std::strtod(canonical.c_str(), nullptr);
}

int32_t PlainMatch(const std::vector<std::string>& patterns, const std::string& text) {
    if (text.size() < 3) return 0;
    const size_t rows = patterns.size() < size_t{RULE_TABLE_CAPACITY} ? patterns.size() : RULE_TABLE_CAPACITY;
    for (size_t row = 0; row < rows; ++row) {
        const std::string& pattern = patterns[row];
        const std::string prefix = pattern.substr(0, pattern.find_first_of("x*"));
        std::string bound = pattern;
        for (char& c : bound) c = c == 'x' ? '9' : c;
        if (text.compare(0, prefix.size(), prefix) != 0) continue;
        if (pattern.find('*') != std::string::npos || PlainValue(text) <= PlainValue(bound)) {
            return static_cast<int32_t>(row + 1);
        }
    }
    return 0;
}

// Controls that hold only the typed text and accept everything else.
struct TypedBox : MainDialogControls {
    std::string_view typed;
    size_t Text(int, char* buffer, size_t capacity) override {
        if (!typed.empty()) std::memcpy(buffer, typed.data(), typed.size() < capacity ? typed.size() : capacity);
        return typed.size();
    }
    bool HasText(int, std::string_view) override { return false; }
    bool IsTicked(int) override { return false; }
    bool IsEnabled(int) override { return false; }
    bool IsShown(int) override { return false; }
    void SetText(int, std::string_view) override {}
    void SetTicked(int, bool) override {}
    void SetEnabled(int, bool) override {}
    void SetShown(int, bool) override {}
    void PostDiagramTextChanged() override {}
};

// Pattern bytes: mostly what the shipped table uses, sometimes any byte
// that the table's grammar keeps inside a pattern.
char PatternByte(uint8_t b) {
    static const char COMMON[] = "0123456789012345.Axxxx*";
    if (b < 0xE0) return COMMON[b % (sizeof COMMON - 1)];
    const char c = static_cast<char>(b * 7);
    return c == ',' || c == '"' || c == ' ' || c == '\r' || c == '\n' ? '9' : c;
}

char TypedByte(uint8_t b) {
    static const char COMMON[] = "01234567890123456789..--<> xaAEeDd&HhBbOo+\t\xe9\xff";
    return b < 0xE0 ? COMMON[b % (sizeof COMMON - 1)] : static_cast<char>(b * 13);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 4096) return 0;
    size_t at = 0;
    const uint8_t flags = data[at++];
    const size_t rowCount = data[at++] % 48;

    // Rows beyond the capacity: a run of fillers puts the generated rows
    // around row 500.
    std::vector<std::string> patterns;
    if (flags & 1) patterns.assign(470 + flags % 40, std::string("~~~"));
    for (size_t row = 0; row < rowCount && at < size; ++row) {
        const size_t length = 1 + data[at++] % 11;
        std::string pattern;
        for (size_t i = 0; i < length && at < size; ++i) pattern += PatternByte(data[at++]);
        if (!pattern.empty()) patterns.push_back(pattern);
    }
    std::string typed;
    for (; at < size; ++at) typed += TypedByte(data[at]);

    std::string tableText;
    for (const std::string& pattern : patterns) tableText += pattern + ",1,0\r\n";
    RuleTable table;
    const int32_t count = ParseRuleTable(tableText, table);
    Require(count == static_cast<int32_t>(patterns.size() < 500 ? patterns.size() : 500));

    const std::string normalised = NormaliseDiagramText(typed);
    Require(normalised == PlainNormalise(typed));
    for (std::string_view text : {std::string_view(typed), std::string_view(normalised)}) {
        const double fast = ReadNumber(text);
        const double plain = PlainValue(text);
        Require(std::memcmp(&fast, &plain, sizeof fast) == 0);
    }
    const int32_t expected = PlainMatch(patterns, normalised);
    Require(FindMatchingRow(table, normalised) == expected);

    // The whole keystroke, normalising in place, agrees too.
    TypedBox box;
    box.typed = typed;
    EngineState state(table);
    OnDiagramTextChanged(state, box);
    Require(state.matchedRow == expected);
    const size_t recorded = typed.size() < 7 ? typed.size() : 7;
    Require(std::memcmp(state.resultRecord.diagram, typed.data(), recorded) == 0);
    Require(state.resultRecord.diagram[recorded] == '\0');
    return 0;
}
