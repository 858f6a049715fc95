// Handing a web address or a mailto: link to the shell.
#pragma once

#include <cstdint>

// Asks the shell to open `target` (verb "open", no owner window, no
// parameters, shown maximised), as a click on a link does. Returns the
// shell's result: greater than 32 for success, 0 when shell32 or its
// ShellExecuteA cannot be loaded. shell32 is loaded from the system folder
// on the first call, not at start-up (most runs open nothing), and stays
// loaded until the process ends.
uint32_t ShellOpen(const char* target);
