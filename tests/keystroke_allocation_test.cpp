// Counts the heap allocations made while the main dialog handles a
// keystroke, an option click and the "none" box: this executable replaces
// operator new, and malloc, calloc and realloc are wrapped at link time, so
// every allocation of the engine and of the C++ library is counted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "control_ids.h"
#include "dialog_model.h"
#include "rules_engine.h"

namespace {
long Allocations = 0;
}

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
void* __wrap_malloc(size_t size) {
    ++Allocations;
    return __real_malloc(size);
}
void* __wrap_calloc(size_t count, size_t size) {
    ++Allocations;
    return __real_calloc(count, size);
}
void* __wrap_realloc(void* block, size_t size) {
    ++Allocations;
    return __real_realloc(block, size);
}
}

void* operator new(size_t size) {
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }

namespace {

// Controls whose own storage is fixed, so that what is counted is the
// engine's.
struct FixedControls : MainDialogControls {
    struct State {
        char text[512] = {};
        size_t length = 0;
        bool ticked = false;
        bool enabled = true;
        bool shown = true;
    };
    State states[IDC_DIAGRAM_NUMBER - IDC_RESULT + 1];
    int posted = 0;

    State& At(int id) { return states[id - IDC_RESULT]; }
    void Put(int id, std::string_view text) {
        At(id).length = std::min(text.size(), sizeof At(id).text);
        if (At(id).length > 0) std::memcpy(At(id).text, text.data(), At(id).length);
    }
    size_t Text(int id, char* buffer, size_t capacity) override {
        if (At(id).length > 0) std::memcpy(buffer, At(id).text, std::min(capacity, At(id).length));
        return At(id).length;
    }
    bool HasText(int id, std::string_view text) override {
        return std::string_view(At(id).text, At(id).length) == text;
    }
    bool IsTicked(int id) override { return At(id).ticked; }
    bool IsEnabled(int id) override { return At(id).enabled; }
    bool IsShown(int id) override { return At(id).shown; }
    void SetText(int id, std::string_view text) override { Put(id, text); }
    void SetTicked(int id, bool ticked) override { At(id).ticked = ticked; }
    void SetEnabled(int id, bool enabled) override { At(id).enabled = enabled; }
    void SetShown(int id, bool shown) override { At(id).shown = shown; }
    void PostDiagramTextChanged() override { ++posted; }
};

// Texts of every length up to 64 bytes from the characters that matter to
// normalising and reading numbers, and for every row a text that reaches it.
std::vector<std::string> TypedTexts() {
    std::vector<std::string> texts;
    for (int32_t row = 1; row <= TheRuleTable().count; ++row) {
        std::string text = TheRuleTable()[row].pattern;
        for (char& c : text) c = c == 'x' || c == '*' ? '1' : c;
        texts.push_back(text);
    }
    const char alphabet[] = "0123456789012345678901234567890123456789..--<> xaAEeDd&HhBb+\t\xe9\xff";
    std::mt19937 random(64);
    for (size_t length = 0; length <= 64; ++length) {
        for (int n = 0; n < 40; ++n) {
            std::string text;
            for (size_t i = 0; i < length; ++i) text += alphabet[random() % (sizeof alphabet - 1)];
            texts.push_back(text);
        }
        texts.push_back(std::string(length, '9'));
        texts.push_back("&H" + std::string(length, 'F'));
    }
    return texts;
}

class KeystrokeAllocations : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(TheRuleTable().count, 109);
        texts = TypedTexts();
    }
    std::vector<std::string> texts;
    EngineState state;
};

TEST_F(KeystrokeAllocations, TypingAllocatesNothing) {
    FixedControls controls;
    controls.Put(IDC_DIAGRAM_NUMBER, "652");
    OnDiagramTextChanged(state, controls);  // the first keystroke may set things up
    for (const std::string& text : texts) {
        controls.Put(IDC_DIAGRAM_NUMBER, text);
        const long before = Allocations;
        OnDiagramTextChanged(state, controls);
        EXPECT_EQ(Allocations - before, 0) << '"' << text << "\" (row " << state.matchedRow << ")";
    }
}

TEST_F(KeystrokeAllocations, ClicksAndTheNoneBoxAllocateNothing) {
    FixedControls controls;
    for (const char* text : {"652", "1234", "8123", "10"}) {  // a label, not applicable, the last row, no row
        controls.Put(IDC_DIAGRAM_NUMBER, text);
        OnDiagramTextChanged(state, controls);
        const long before = Allocations;
        for (int id = IDC_LAMP_COLUMN; id <= IDC_CONDITION; ++id) {
            OnOptionClicked(state, controls, id, true);
            OnOptionClicked(state, controls, id, false);
        }
        OnNoneToggled(state, controls, true);
        OnNoneToggled(state, controls, false);
        EXPECT_EQ(Allocations - before, 0) << text;
    }
    EXPECT_EQ(controls.posted, 4);
}

TEST_F(KeystrokeAllocations, AModelShownAgainForEveryLineAllocatesNothing) {
    MainDialogModel dialog;
    long allocations[2] = {};
    for (long& made : allocations) {
        const long before = Allocations;
        for (size_t i = 0; i < texts.size(); ++i) {
            dialog.ResetState(static_cast<int32_t>(i));  // as a tool shows each line afresh
            dialog.Show(texts[i]);
            dialog.Click(IDC_LAMP_COLUMN);
            dialog.Type(texts[(i + 1) % texts.size()]);
            dialog.Click(IDC_NONE);
        }
        made = Allocations - before;
    }
    EXPECT_GT(allocations[0], 0);  // the controls' texts get their storage
    EXPECT_EQ(allocations[1], 0);
}

}  // namespace
