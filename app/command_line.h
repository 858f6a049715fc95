// Reading the program's command line: the arguments after the program's
// name, the switches /H, /Q and /S, and the initial diagram number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct StartupSwitches {
    bool hasOwner = false;      // "/H" present
    uint32_t owner = 0;         // its value, the low 32 bits
    bool hasOptionSet = false;  // "/Q" present
    int32_t optionSet = 0;      // its value
    bool noAbout = false;       // "/S" present
};

// Finds the switches anywhere in the argument text (case-sensitive, first
// occurrence) and reads the numbers after "/H" and "/Q".
StartupSwitches ReadSwitches(std::string_view argumentText);

// The text before the first "/", without spaces (code 32 only) at either end.
std::string InitialNumber(std::string_view argumentText);
