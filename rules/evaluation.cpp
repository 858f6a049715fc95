// The verdict of a row's requirement flags for a set of ticked options.
#include "rules_engine.h"

int32_t EvaluateRequirement(uint32_t r, int32_t optionSet) {
    const uint32_t o = static_cast<uint32_t>(optionSet);
    if (HasBit(r, REQ_NOT_APPLICABLE)) return VERDICT_NOT_APPLICABLE;

    // Internal lighting and "refer to TSRGD" win over everything below;
    // a later step overrides an earlier one.
    int32_t v = 0;
    if (HasBit(r, REQ_INTERNAL_ON_SIGNAL_HEAD) && HasBit(o, OPT_SIGNAL_HEAD)) v = VERDICT_INTERNAL;
    if (HasBit(o, OPT_BOLLARD)) v = VERDICT_INTERNAL;
    if (HasBit(r, REQ_INTERNAL)) v = VERDICT_INTERNAL;
    if (HasBit(r, REQ_REFER_TSRGD)) v = VERDICT_REFER;
    if (v == 0 && HasBit(o, OPT_CONDITION) && !HasBit(r, REQ_LIT_IF_CONDITION) && !HasBit(r, REQ_LIT_ON_GANTRY))
        v = VERDICT_REFLECTORISED;
    if (v == 0 && HasBit(r, REQ_UNLIT)) return VERDICT_NONE;
    if (v != 0) return v;

    // Lighting is only ever needed near a lamp column.
    if (!HasBit(o, OPT_LAMP_COLUMN)) return VERDICT_REFLECTORISED;
    if (HasBit(r, REQ_LIT_NEAR_LAMP) && !HasBit(o, OPT_SELF_RIGHTING_BOLLARD) && !HasBit(o, OPT_20MPH)) v = VERDICT_LIT;
    if (HasBit(r, REQ_LIT_IF_CONDITION) && HasBit(o, OPT_CONDITION) && !HasBit(r, REQ_LIT_ON_GANTRY) &&
        !HasBit(o, OPT_20MPH))
        v = VERDICT_LIT;
    if (HasBit(r, REQ_LIT_ON_GANTRY) && HasBit(o, OPT_GANTRY)) {
        v = HasBit(r, REQ_LIT_IF_CONDITION) && !HasBit(o, OPT_CONDITION) ? VERDICT_REFLECTORISED : VERDICT_LIT;
    }
    if (v == 0) v = VERDICT_REFLECTORISED;
    if (v == VERDICT_LIT && HasBit(o, OPT_REPEATER)) v = VERDICT_REFLECTORISED;
    return v;
}

int32_t MatchedVerdict(const EngineState& state) {
    return EvaluateRequirement(state.Rules()[state.matchedRow].requirement, state.OptionSet());
}

const char* VerdictWord(int32_t verdict) {
    switch (verdict) {
        case VERDICT_NONE:
            return "none";
        case VERDICT_REFLECTORISED:
            return "reflectorised";
        case VERDICT_LIT:
            return "internal or external lighting";
        case VERDICT_INTERNAL:
            return "internal lighting";
        case VERDICT_REFER:
            return "special requirements - refer to TSRGD";
        default:
            return "";
    }
}
