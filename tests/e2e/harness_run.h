// Entry points of the harness's modes.
#pragma once

#include <string>

// Runs the registered scenarios whose names contain `only` (all when it is
// empty), prints the summary line and returns the process exit code.
int RunScenarios(const std::string& only);

// Measures how long programs take from CreateProcess to a visible dialog.
int RunStartupBenchmark(const std::wstring& brantleExe, const std::wstring& minimalExe, int starts);
