// Control ids of the main dialog that the rules engine acts on.
#pragma once

#include "rule_table.h"

// Option i is shown as the control IDC_OPTION_BASE + i.
constexpr int IDC_OPTION_BASE = 34976;

constexpr int IDC_LAMP_COLUMN = 34976;
constexpr int IDC_NORMAL_POSTS = 34977;
constexpr int IDC_SELF_RIGHTING_BOLLARD = 34978;
constexpr int IDC_BOLLARD = 34979;
constexpr int IDC_GANTRY = 34980;
constexpr int IDC_SIGNAL_HEAD = 34981;
constexpr int IDC_20MPH = 34985;
constexpr int IDC_REPEATER = 34986;
constexpr int IDC_CONDITION = 34987;

constexpr int IDC_RESULT = 34953;
constexpr int IDC_RESULT_HEADER = 34954;
constexpr int IDC_RESULT_NOTE = 34955;
constexpr int IDC_NONE = 34995;
constexpr int IDC_DIAGRAM_NUMBER = 35023;

// Whether option i has a control (options 6 to 8 have none).
constexpr bool OptionHasControl(int option) {
    return (option >= OPT_LAMP_COLUMN && option <= OPT_SIGNAL_HEAD) || (option >= OPT_20MPH && option <= OPT_CONDITION);
}
