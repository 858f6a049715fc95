// From the text in the diagram-number box to the first row that accepts it.
#include <algorithm>
#include <cstring>

#include "control_ids.h"
#include "read_number.h"
#include "rules_engine.h"
#include "text_field.h"
#include "upper_case.h"

namespace {

bool Kept(char c) { return c != '<' && c != '>'; }
char Dotted(char c) { return c == '-' ? '.' : c; }

}  // namespace

size_t NormaliseDiagramText(std::string_view typed, char* out) {
    const std::string_view trimmed = TrimSpaces(typed);
    const size_t begin = trimmed.empty() ? 0 : static_cast<size_t>(trimmed.data() - typed.data());
    const size_t end = begin + trimmed.size();

    size_t length = 0;
    if (const unsigned char* upper = UpperCaseTable()) {
        // One pass; `out` never gets ahead of `typed`, so it may be the same bytes.
        for (size_t i = begin; i < end; ++i) {
            const char c = static_cast<char>(upper[static_cast<unsigned char>(typed[i])]);
            if (Kept(c)) out[length++] = Dotted(c);
        }
        return length;
    }
    // A code page with characters of more than one byte is upper-cased as a
    // whole text first.
    std::memmove(out, typed.data() + begin, end - begin);
    UpperCase8(out, end - begin);
    for (size_t i = 0; i < end - begin; ++i) {
        if (Kept(out[i])) out[length++] = Dotted(out[i]);
    }
    return length;
}

std::string NormaliseDiagramText(std::string_view typed) {
    std::string normalised(typed.size(), '\0');
    normalised.resize(NormaliseDiagramText(typed, &normalised[0]));
    return normalised;
}

int32_t FindMatchingRow(const RuleTable& table, std::string_view normalised) {
    if (normalised.size() < 3) return 0;
    uint64_t word = 0;
    std::memcpy(&word, normalised.data(), std::min(normalised.size(), sizeof word));

    // Only the rows that the index gives for the first two bytes can
    // accept the text (it has at least 3).
    const RowIndex& index = table.index;
    if (index.bySlot.empty()) return 0;
    const RowIndex::Range range = index.bySlot[static_cast<size_t>(
        RowIndex::Slot(static_cast<unsigned char>(normalised[0]), static_cast<unsigned char>(normalised[1])))];
    const uint16_t* candidate = index.candidates.data() + range.begin;
    const uint16_t* const end = index.candidates.data() + range.end;

    // The value is read once, and only when a prefix fits. It is never NaN,
    // so an infinite bound accepts every value, as "*" does.
    bool valueRead = false;
    double value = 0;
    for (; candidate != end; ++candidate) {
        const uint16_t i = *candidate;
        const RowKey& key = index.keys[i];
        if (((word ^ key.prefixWord) & key.prefixMask) != 0 || key.prefixLength > normalised.size()) continue;
        if (key.prefixLength > sizeof word &&
            std::memcmp(normalised.data() + sizeof word, table.rows[i].prefix.data() + sizeof word,
                        key.prefixLength - sizeof word) != 0)
            continue;
        if (!valueRead) {
            value = ReadNumber(normalised);
            valueRead = true;
        }
        if (value <= key.bound) return i + 1;
    }
    return 0;
}

namespace {

// Records the typed text, normalises it in place, matches it and applies
// the row.
void MatchTypedText(EngineState& state, MainDialogControls& controls, char* text, size_t length) {
    WriteTextField(state.resultRecord.diagram, std::string_view(text, length));
    const size_t normalisedLength = NormaliseDiagramText(std::string_view(text, length), text);
    state.matchedRow = FindMatchingRow(state.Rules(), std::string_view(text, normalisedLength));
    ApplyRule(state, controls);
}

// A text too long for the stack, read again whole.
void MatchLongText(EngineState& state, MainDialogControls& controls, size_t length) {
    std::string text(length, '\0');
    length = std::min(length, controls.Text(IDC_DIAGRAM_NUMBER, &text[0], length));
    MatchTypedText(state, controls, &text[0], length);
}

}  // namespace

void OnDiagramTextChanged(EngineState& state, MainDialogControls& controls) {
    // The text on the stack for the lengths that people type.
    char text[256];
    const size_t length = controls.Text(IDC_DIAGRAM_NUMBER, text, sizeof text);
    if (length <= sizeof text) {
        MatchTypedText(state, controls, text, length);
    } else {
        MatchLongText(state, controls, length);
    }
}

void OnNoneToggled(EngineState& state, MainDialogControls& controls, bool ticked) {
    controls.UpdateEnabled(IDC_DIAGRAM_NUMBER, !ticked);
    if (ticked) {
        state.matchedRow = state.Rules().count;
        ApplyRule(state, controls);
    } else {
        controls.PostDiagramTextChanged();
    }
}
