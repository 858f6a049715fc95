// One keystroke's work in the main dialog (reading the box, recording,
// normalising, matching, applying the row and wording it) beside the bare
// floor of bare_floor.h, over texts that reach every row of the table.
//
//   keystroke_bench [Google Benchmark flags]   times both
//   keystroke_bench --count=full|floor N       after a warm-up, runs N passes
//                                              over the texts in
//                                              CountedFullKeystrokes or
//                                              CountedBareFloor, for callgrind's
//                                              --toggle-collect
//   keystroke_bench --batch-lines=plain|typed  prints brantle-rules --batch
//                                              input built from the same texts
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bare_floor.h"
#include "control_ids.h"
#include "rules_engine.h"

namespace {

// Controls that keep what they are given, as cheaply as real ones could.
struct BenchControls : MainDialogControls {
    std::string_view typed;  // what the box holds when it notifies the change
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

struct Setup {
    std::vector<std::string> texts;  // texts[i] reaches row i + 1
    BareFloor floor;
};

// For every row, the first text built from its pattern (each "x" a digit)
// that the full keystroke matches to that row; the floor must agree on all.
Setup MakeSetup() {
    Setup setup;
    const RuleTable& table = TheRuleTable();
    std::vector<std::string> patterns;
    for (int32_t row = 1; row <= table.count; ++row) patterns.push_back(table[row].pattern);
    if (!MakeBareFloor(patterns, setup.floor)) {
        std::fprintf(stderr, "the floor cannot pack the table's prefixes\n");
        std::exit(1);
    }
    BenchControls controls;
    EngineState state;
    for (int32_t row = 1; row <= table.count; ++row) {
        bool found = false;
        for (int variant = 0; variant < 10000 && !found; ++variant) {
            std::string text;
            int digits = variant;
            for (char c : patterns[static_cast<size_t>(row - 1)]) {
                if (c == 'x') {
                    text += static_cast<char>('0' + digits % 10);
                    digits /= 10;
                } else if (c != '*') {
                    text += c;
                }
            }
            controls.typed = text;
            OnDiagramTextChanged(state, controls);
            if (state.matchedRow == row) {
                if (BareFloorMatch(setup.floor, text) != row) {
                    std::fprintf(stderr, "the floor matches \"%s\" elsewhere than row %d\n", text.c_str(), row);
                    std::exit(1);
                }
                setup.texts.push_back(text);
                found = true;
            }
        }
        if (!found) {
            std::fprintf(stderr, "no text reaches row %d (%s)\n", row, patterns[static_cast<size_t>(row - 1)].c_str());
            std::exit(1);
        }
    }
    return setup;
}

const Setup& TheSetup() {
    static const Setup setup = MakeSetup();
    return setup;
}

// The loops that callgrind counts, kept out of line so that their names
// mark them.
__attribute__((noinline)) void CountedFullKeystrokes(EngineState& state, BenchControls& controls,
                                                     const std::vector<std::string>& texts, int passes) {
    for (int pass = 0; pass < passes; ++pass) {
        for (const std::string& text : texts) {
            controls.typed = text;
            OnDiagramTextChanged(state, controls);
        }
    }
}

__attribute__((noinline)) int32_t CountedBareFloor(const BareFloor& floor, const std::vector<std::string>& texts,
                                                   int passes) {
    int32_t sum = 0;
    for (int pass = 0; pass < passes; ++pass) {
        for (const std::string& text : texts) sum += BareFloorMatch(floor, text);
    }
    return sum;
}

int Count(const char* what, int passes) {
    const Setup& setup = TheSetup();
    BenchControls controls;
    EngineState state;
    if (std::strcmp(what, "full") == 0) {
        for (const std::string& text : setup.texts) {  // a warm-up pass, outside the counted loop
            controls.typed = text;
            OnDiagramTextChanged(state, controls);
        }
        CountedFullKeystrokes(state, controls, setup.texts, passes);
    } else if (std::strcmp(what, "floor") == 0) {
        const int32_t sum = CountedBareFloor(setup.floor, setup.texts, passes);
        benchmark::DoNotOptimize(sum);
    } else {
        std::fprintf(stderr, "--count=full or --count=floor\n");
        return 2;
    }
    std::printf("%zu keystrokes\n", setup.texts.size() * static_cast<size_t>(passes));
    return 0;
}

// Batch lines: "plain" ones hold each text alone; "typed" ones type each
// text key by key into an empty box, then click the gantry and tick and
// untick "none".
int PrintBatchLines(const char* kind) {
    const Setup& setup = TheSetup();
    const bool typed = std::strcmp(kind, "typed") == 0;
    if (!typed && std::strcmp(kind, "plain") != 0) {
        std::fprintf(stderr, "--batch-lines=plain or --batch-lines=typed\n");
        return 2;
    }
    for (const std::string& text : setup.texts) {
        if (!typed) {
            std::printf("0\t%s\n", text.c_str());
            continue;
        }
        std::printf("1\t");
        for (size_t n = 1; n <= text.size(); ++n) std::printf("\ttype=%s", text.substr(0, n).c_str());
        std::printf("\tclick=4\tnone=1\tnone=0\n");
    }
    return 0;
}

void BareFloorBench(benchmark::State& state) {
    const Setup& setup = TheSetup();
    size_t i = 0;
    for (auto _ : state) {
        int32_t row = BareFloorMatch(setup.floor, setup.texts[i]);
        benchmark::DoNotOptimize(row);
        if (++i == setup.texts.size()) i = 0;
    }
    state.SetLabel(std::to_string(setup.texts.size()) + " texts");
}

void FullKeystroke(benchmark::State& state) {
    const Setup& setup = TheSetup();
    BenchControls controls;
    EngineState engine;
    size_t i = 0;
    for (auto _ : state) {
        controls.typed = setup.texts[i];
        OnDiagramTextChanged(engine, controls);
        benchmark::DoNotOptimize(engine.resultRecord);
        if (++i == setup.texts.size()) i = 0;
    }
    state.SetLabel(std::to_string(setup.texts.size()) + " texts");
}

}  // namespace

BENCHMARK(BareFloorBench)->Name("BareFloor")->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(FullKeystroke)->Repetitions(9)->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
    if (argc >= 2 && std::strncmp(argv[1], "--count=", 8) == 0) {
        return Count(argv[1] + 8, argc >= 3 ? std::atoi(argv[2]) : 100);
    }
    if (argc >= 2 && std::strncmp(argv[1], "--batch-lines=", 14) == 0) return PrintBatchLines(argv[1] + 14);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
