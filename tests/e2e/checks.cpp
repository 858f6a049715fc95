// Check bookkeeping and the scenario list.
#include <cstdio>
#include <string>
#include <vector>

#include "e2e.h"
#include "harness_run.h"

namespace {

int Passed = 0;
int Failed = 0;
int Skipped = 0;
std::string CurrentScenario;

std::vector<std::pair<const char*, void (*)()>>& Registry() {
    static std::vector<std::pair<const char*, void (*)()>> list;
    return list;
}

}  // namespace

ScenarioRegistration::ScenarioRegistration(const char* name, void (*run)()) { Registry().emplace_back(name, run); }

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out + "\"";
}

bool Check(bool passed, const std::string& what, const std::string& detail) {
    (passed ? Passed : Failed)++;
    // The detail explains a failure; a passed check needs none.
    bool explain = !passed && !detail.empty();
    std::printf("%s %s: %s%s%s\n", passed ? "ok  " : "FAIL", CurrentScenario.c_str(), what.c_str(),
                explain ? " -- " : "", explain ? detail.c_str() : "");
    std::fflush(stdout);
    return passed;
}

void Note(const std::string& what) {
    std::printf("note %s: %s\n", CurrentScenario.c_str(), what.c_str());
    std::fflush(stdout);
}

void Skip(const std::string& why) {
    ++Skipped;
    std::printf("skip %s: %s\n", CurrentScenario.c_str(), why.c_str());
    std::fflush(stdout);
}

bool CheckText(const std::string& got, const std::string& want, const std::string& what) {
    return Check(got == want, what, got == want ? "" : "got " + Quoted(got) + ", expected " + Quoted(want));
}

bool CheckInt(long long got, long long want, const std::string& what) {
    return Check(got == want, what,
                 got == want ? "" : "got " + std::to_string(got) + ", expected " + std::to_string(want));
}

void ListScenarios() {
    for (auto& [name, run] : Registry()) std::printf("%s\n", name);
    std::fflush(stdout);
}

int RunScenarios(const std::string& only, bool exact) {
    for (auto& [name, run] : Registry()) {
        if (exact ? only != name : (!only.empty() && std::string(name).find(only) == std::string::npos)) continue;
        CurrentScenario = name;
        run();
    }
    CurrentScenario = "harness";
    if (Passed + Failed + Skipped == 0) Check(false, "no scenario matched " + Quoted(only));
    std::printf("%d passed, %d failed, %d skipped\n", Passed, Failed, Skipped);
    std::fflush(stdout);
    return Failed == 0 ? 0 : 1;
}
