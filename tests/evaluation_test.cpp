#include <gtest/gtest.h>

#include "rules_engine.h"

namespace {

constexpr int32_t LAMP = 1 << OPT_LAMP_COLUMN;
constexpr int32_t SELF_RIGHTING = 1 << OPT_SELF_RIGHTING_BOLLARD;
constexpr int32_t BOLLARD = 1 << OPT_BOLLARD;
constexpr int32_t GANTRY = 1 << OPT_GANTRY;
constexpr int32_t SIGNAL_HEAD = 1 << OPT_SIGNAL_HEAD;
constexpr int32_t MPH20 = 1 << OPT_20MPH;
constexpr int32_t REPEATER = 1 << OPT_REPEATER;
constexpr int32_t CONDITION = 1 << OPT_CONDITION;

struct VerdictCase {
    int32_t row;
    int32_t options;
    int32_t verdict;
};

TEST(EvaluateRequirement, ShippedRows) {
    ASSERT_EQ(TheRuleTable().count, 109);
    const VerdictCase cases[] = {
        {1, 0, 1},
        {1, LAMP, 2},
        {1, LAMP | MPH20, 1},
        {1, LAMP | SELF_RIGHTING, 1},
        {1, LAMP | REPEATER, 1},
        {2, GANTRY, 1},
        {2, LAMP | GANTRY, 2},
        {4, LAMP, 0},
        {6, 0, 4},
        {6, BOLLARD | LAMP, 4},
        {7, LAMP | SELF_RIGHTING, 1},
        {7, SIGNAL_HEAD, 3},
        {7, BOLLARD, 3},
        {13, 0, 0},
        {13, BOLLARD, 3},
        {13, SIGNAL_HEAD, 0},
        {18, LAMP | REPEATER, 1},
        {27, LAMP, 1},
        {27, LAMP | CONDITION, 2},
        {27, LAMP | CONDITION | MPH20, 1},
        {27, CONDITION, 1},
        {40, LAMP | CONDITION, 2},
        {40, LAMP | CONDITION | REPEATER, 1},
        {64, 0, 3},
        {82, 0, 0},
        {82, CONDITION, 1},
        {102, 0, -1},
        {102, BOLLARD | LAMP | CONDITION, -1},
        {109, 0, 1},
        {109, LAMP | GANTRY, 1},
        {109, LAMP | GANTRY | CONDITION, 2},
        {109, LAMP | CONDITION, 1},
        {109, GANTRY | CONDITION, 1},
        {109, LAMP | GANTRY | CONDITION | MPH20, 2},
        {109, LAMP | GANTRY | CONDITION | REPEATER, 1},
        {5, LAMP, 1},
        {5, LAMP | BOLLARD, 3},
    };
    for (const VerdictCase& c : cases) {
        EXPECT_EQ(EvaluateRequirement(TheRuleTable()[c.row].requirement, c.options), c.verdict)
            << "row " << c.row << " options " << c.options;
    }
}

TEST(EvaluateRequirement, LaterStepsOverrideEarlierOnes) {
    const uint32_t internal = Bit(REQ_INTERNAL);
    const uint32_t refer = Bit(REQ_REFER_TSRGD);
    const uint32_t unlit = Bit(REQ_UNLIT);
    const uint32_t nearLamp = Bit(REQ_LIT_NEAR_LAMP);
    const uint32_t ifCondition = Bit(REQ_LIT_IF_CONDITION);
    const uint32_t onGantry = Bit(REQ_LIT_ON_GANTRY);
    const uint32_t signalHead = Bit(REQ_INTERNAL_ON_SIGNAL_HEAD);
    const struct {
        uint32_t requirement;
        int32_t options;
        int32_t verdict;
    } cases[] = {
        {refer | internal, BOLLARD, VERDICT_REFER},
        {internal | unlit, 0, VERDICT_INTERNAL},
        {signalHead | unlit, SIGNAL_HEAD, VERDICT_INTERNAL},
        {signalHead | unlit, GANTRY, VERDICT_NONE},
        {unlit, CONDITION | LAMP, VERDICT_REFLECTORISED},       // the condition beats "none"
        {unlit | ifCondition, CONDITION | LAMP, VERDICT_NONE},  // but not on rows it makes lit
        {nearLamp, 0, VERDICT_REFLECTORISED},
        {nearLamp, LAMP | SELF_RIGHTING | CONDITION, VERDICT_REFLECTORISED},
        {ifCondition, LAMP | CONDITION | SELF_RIGHTING, VERDICT_LIT},  // a bollard does not block it
        {onGantry, LAMP | GANTRY | MPH20, VERDICT_LIT},                // 20 mph does not block the gantry
        {onGantry, LAMP | GANTRY | REPEATER, VERDICT_REFLECTORISED},
        {onGantry | ifCondition, LAMP | GANTRY, VERDICT_REFLECTORISED},
        {Bit(REQ_NOT_APPLICABLE) | internal | refer, LAMP, VERDICT_NOT_APPLICABLE},
        {0, -1, VERDICT_INTERNAL},                                  // every bit: the bollard bit wins
        {Bit(8) | Bit(14) | Bit(31), LAMP, VERDICT_REFLECTORISED},  // untested bits change nothing
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EvaluateRequirement(c.requirement, c.options), c.verdict)
            << "requirement " << c.requirement << " options " << c.options;
    }
}

TEST(VerdictWord, NamesEveryVerdict) {
    EXPECT_STREQ(VerdictWord(VERDICT_NOT_APPLICABLE), "");
    EXPECT_STREQ(VerdictWord(VERDICT_NONE), "none");
    EXPECT_STREQ(VerdictWord(VERDICT_REFLECTORISED), "reflectorised");
    EXPECT_STREQ(VerdictWord(VERDICT_LIT), "internal or external lighting");
    EXPECT_STREQ(VerdictWord(VERDICT_INTERNAL), "internal lighting");
    EXPECT_STREQ(VerdictWord(VERDICT_REFER), "special requirements - refer to TSRGD");
}

}  // namespace
