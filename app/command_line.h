// Reading the program's command line: the arguments after the program's
// name, the switches /H, /Q and /S, and the initial diagram number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The command line without the program's name and the spaces after it. The
// name ends at the second double quote when the line begins with one (at the
// end of the line when there is no second one), otherwise at the first
// character whose code is 32 or lower; only spaces (not tabs) are skipped
// after it.
std::u16string_view ArgumentText(std::u16string_view commandLine);

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
