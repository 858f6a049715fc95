// From the text in the diagram-number box to the first row that accepts it.
#include "control_ids.h"
#include "read_number.h"
#include "result_record.h"
#include "rules_engine.h"
#include "upper_case.h"

int32_t MatchedRow = 0;

std::string NormaliseDiagramText(std::string_view typed) {
    size_t begin = typed.find_first_not_of(' ');
    size_t end = typed.find_last_not_of(' ');
    std::string text;
    if (begin != std::string_view::npos) text.assign(typed.substr(begin, end - begin + 1));
    UpperCase8(text);
    std::string normalised;
    normalised.reserve(text.size());
    for (char c : text) {
        if (c == '<' || c == '>') continue;
        normalised += c == '-' ? '.' : c;
    }
    return normalised;
}

int32_t FindMatchingRow(const RuleTable& table, std::string_view normalised) {
    if (normalised.size() < 3) return 0;
    double value = ReadNumber(normalised);
    for (int32_t row = 1; row <= table.count; ++row) {
        const Rule& rule = table[row];
        if (normalised.compare(0, rule.prefix.size(), rule.prefix) != 0) continue;
        if (rule.hasStar || value <= rule.boundValue) return row;
    }
    return 0;
}

void OnDiagramTextChanged(MainDialogControls& controls) {
    std::string typed = controls.Text(IDC_DIAGRAM_NUMBER);
    WriteTextField(TheResultRecord.diagram, typed);
    MatchedRow = FindMatchingRow(TheRuleTable, NormaliseDiagramText(typed));
    ApplyRule(controls);
}

void OnNoneToggled(MainDialogControls& controls, bool ticked) {
    controls.SetEnabled(IDC_DIAGRAM_NUMBER, !ticked);
    if (ticked) {
        MatchedRow = TheRuleTable.count;
        ApplyRule(controls);
    } else {
        controls.PostDiagramTextChanged();
    }
}
