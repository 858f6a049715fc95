// The harness's entry:
//
//   brantle_e2e <brantle.exe> [--shots <folder>] [--browser-log <file>]
//               [--rule-table <file>] [--numbers <file>]
//               [--only <part of a scenario name> | --scenario <name>]
//               [--signed-brantle <brantle.exe built with a test key>]
//   brantle_e2e --list
//   brantle_e2e --bench-startup <brantle.exe> <minimal dialog exe> [starts]
//   brantle_e2e --try-to-change <file>   (the update scenarios' second process)
//
// Paths are Windows paths (under Wine, Z: reaches the Linux file system).
#include <cstdio>
#include <cwchar>

#include "e2e.h"
#include "harness_run.h"

E2eConfig Config;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: brantle_e2e <brantle.exe> [--shots DIR] [--browser-log FILE] [--rule-table FILE] "
                 "[--numbers FILE] [--only PART | --scenario NAME] [--signed-brantle EXE]\n"
                 "       brantle_e2e --list\n"
                 "       brantle_e2e --bench-startup <brantle.exe> <minimal.exe> [starts]\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 4 && std::wcscmp(argv[1], L"--bench-startup") == 0) {
        int starts = argc >= 5 ? _wtoi(argv[4]) : 15;
        return RunStartupBenchmark(argv[2], argv[3], starts < 1 ? 15 : starts);
    }
    if (argc == 3 && std::wcscmp(argv[1], L"--try-to-change") == 0) return TryToChangeFile(argv[2]);
    if (argc == 2 && std::wcscmp(argv[1], L"--list") == 0) {
        ListScenarios();
        return 0;
    }
    if (argc < 2 || argv[1][0] == L'-') return Usage();
    Config.brantleExe = argv[1];
    std::string only;
    bool exact = false;
    for (int i = 2; i < argc; ++i) {
        std::wstring option = argv[i];
        if (i + 1 >= argc) return Usage();
        std::wstring value = argv[++i];
        if (option == L"--shots")
            Config.shotsDir = value;
        else if (option == L"--browser-log")
            Config.browserLog = value;
        else if (option == L"--rule-table")
            Config.ruleTable = value;
        else if (option == L"--numbers")
            Config.numbers = value;
        else if (option == L"--only" || option == L"--scenario") {
            if (!only.empty()) return Usage();
            only = Narrow(value);
            exact = option == L"--scenario";
        } else if (option == L"--signed-brantle")
            Config.signedBrantleExe = value;
        else
            return Usage();
    }
    if (GetFileAttributesW(Config.brantleExe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "brantle_e2e: %s not found\n", Narrow(Config.brantleExe).c_str());
        return 2;
    }
    OwnerWindow();
    return RunScenarios(only, exact);
}
