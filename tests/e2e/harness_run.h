// Entry points of the harness's modes.
#pragma once

#include <string>

// Prints the names of the registered scenarios, one per line, in order.
void ListScenarios();

// Runs the registered scenarios whose names contain `only` (all when it is
// empty), or with `exact` the one named `only`; prints the summary line and
// returns the process exit code.
int RunScenarios(const std::string& only, bool exact);

// The second process of the update scenarios: tries to open the file
// `path` for writing, to rename it (and back) and to open it for deleting,
// and returns which worked as bits 1, 2 and 4.
int TryToChangeFile(const std::wstring& path);

// Measures how long programs take from CreateProcess to a visible dialog.
int RunStartupBenchmark(const std::wstring& brantleExe, const std::wstring& minimalExe, int starts);
