// What one user of the rules engine works on: the matched row, the option
// set and the record. Each dialog model, each schedule check and each
// showing of the main dialog owns one and passes it to every step of the
// engine, so that two users in one process never see each other's match,
// ticks or record. Only the rule table is shared, and it never changes.
#pragma once

#include <cstdint>

#include "result_record.h"
#include "rule_table.h"

struct EngineState {
    // As a process starts: nothing matched, the record zero-filled but for
    // the option set.
    explicit EngineState(const RuleTable& table = TheRuleTable(), int32_t optionSet = 0) : ruleTable(&table) {
        resultRecord.options = optionSet;
    }

    const RuleTable* ruleTable;   // the rows matched against; not owned
    int32_t matchedRow = 0;       // MatchedRow: the row of ruleTable that the text matched, 0 for none
    ResultRecord resultRecord{};  // ResultRecord, handed to a calling program

    // The OptionSet is the record's options field, so the record always
    // carries the current ticks.
    int32_t& OptionSet() { return resultRecord.options; }
    int32_t OptionSet() const { return resultRecord.options; }

    const RuleTable& Rules() const { return *ruleTable; }
};
