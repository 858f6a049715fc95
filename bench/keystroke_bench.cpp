// One keystroke's work in the main dialog (normalising, matching, applying
// the row and wording it) beside the bare minimum: normalising and finding
// the first row whose prefix and bound accept the text.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "control_ids.h"
#include "result_record.h"
#include "rules_engine.h"

namespace {

// Controls that keep what they are given, as cheaply as real ones would.
struct BenchControls : MainDialogControls {
    std::string typed;
    std::string texts[64];
    bool ticked[64] = {};
    bool enabled[64] = {};
    bool shown[64] = {};

    static int Slot(int id) { return (id - IDC_RESULT) & 63; }
    size_t Text(int, char* buffer, size_t capacity) override {
        std::memcpy(buffer, typed.data(), typed.size() < capacity ? typed.size() : capacity);
        return typed.size();
    }
    bool HasText(int id, std::string_view text) override { return texts[Slot(id)] == text; }
    bool IsTicked(int id) override { return ticked[Slot(id)]; }
    bool IsEnabled(int id) override { return enabled[Slot(id)]; }
    bool IsShown(int id) override { return shown[Slot(id)]; }
    void SetText(int id, std::string_view text) override { texts[Slot(id)].assign(text); }
    void SetTicked(int id, bool value) override { ticked[Slot(id)] = value; }
    void SetEnabled(int id, bool value) override { enabled[Slot(id)] = value; }
    void SetShown(int id, bool value) override { shown[Slot(id)] = value; }
    void PostDiagramTextChanged() override {}
};

// For every row, the first text built from its pattern that the row accepts.
std::vector<std::string> TextsReachingEveryRow() {
    std::vector<std::string> texts;
    for (int32_t row = 1; row <= TheRuleTable.count; ++row) {
        const std::string& pattern = TheRuleTable[row].pattern;
        bool found = false;
        for (int variant = 0; variant < 10000 && !found; ++variant) {
            std::string text;
            int digits = variant;
            for (char c : pattern) {
                if (c == 'x') {
                    text += static_cast<char>('0' + digits % 10);
                    digits /= 10;
                } else if (c != '*') {
                    text += c;
                }
            }
            if (FindMatchingRow(TheRuleTable, NormaliseDiagramText(text)) == row) {
                texts.push_back(text);
                found = true;
            }
        }
        if (!found) {
            std::fprintf(stderr, "no text reaches row %d (%s)\n", row, pattern.c_str());
            std::abort();
        }
    }
    return texts;
}

const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = [] {
        LoadRuleTable();
        return TextsReachingEveryRow();
    }();
    return texts;
}

void BareMatch(benchmark::State& state) {
    const auto& texts = Texts();
    size_t i = 0;
    for (auto _ : state) {
        int32_t row = FindMatchingRow(TheRuleTable, NormaliseDiagramText(texts[i]));
        benchmark::DoNotOptimize(row);
        if (++i == texts.size()) i = 0;
    }
    state.SetLabel(std::to_string(texts.size()) + " texts");
}

void FullKeystroke(benchmark::State& state) {
    const auto& texts = Texts();
    BenchControls controls;
    size_t i = 0;
    for (auto _ : state) {
        controls.typed = texts[i];
        OnDiagramTextChanged(controls);
        benchmark::DoNotOptimize(TheResultRecord);
        if (++i == texts.size()) i = 0;
    }
    state.SetLabel(std::to_string(texts.size()) + " texts");
}

}  // namespace

BENCHMARK(BareMatch)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(FullKeystroke)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
