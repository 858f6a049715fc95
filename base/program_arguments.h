// The arguments that the program was started with: its command line
// without the program's name.
#pragma once

#include <string_view>

// The command line without the program's name and the spaces after it. The
// name ends at the second double quote when the line begins with one (at the
// end of the line when there is no second one), otherwise at the first
// character whose code is 32 or lower; only spaces (not tabs) are skipped
// after it.
std::u16string_view ArgumentText(std::u16string_view commandLine);

#ifdef _WIN32
// ArgumentText of this process's command line (GetCommandLineW), read in
// place: nothing is copied or allocated, and it lives as long as the
// process.
std::u16string_view ProgramArguments();
#endif
