// Update checks against a server that stalls: it stops after the headers,
// never answers, or sends a byte every 5 seconds. Each download of the
// check (the list, its signature, a method-4 download) is ended by its time
// limits and reported as that step's failure; nothing is started, what was
// received is deleted, and the About dialog answers again.
//
// brantle.exe is started with "/T 300", which a build for these tests reads
// (BRANTLE_TEST_LIMITS): each second of the limits lasts 300 ms, so that the
// stall limit of 30 seconds ends a download after 9 s.
#include <cstdint>
#include <string>

#include "scenario_support.h"
#include "update_scenario_support.h"

namespace {

constexpr uint32_t kLimitSecondMs = 300;
const char kShortLimits[] = "/T 300";
// Time that a slow, busy machine may add before the failure shows, and the
// grain of the clocks: the box may come that much before the limit as the
// harness measures it, never more.
constexpr uint64_t kSlackMs = 20000;
constexpr uint64_t kGrainMs = 250;

enum class Step { List, Signature, Download };

struct StallCase {
    Step step;
    const char* mode;  // how the server answers the step's download (update_server.py)
    uint32_t limitSeconds;
};

// A method-4 download of 1 MiB may take 60 s, and 16 s more for its 16
// pieces of 64 KiB.
constexpr uint32_t kDownloadBytes = 1 << 20;

const StallCase kCases[] = {
    {Step::List, "stall-after-headers", 30},
    {Step::List, "stall-silent", 30},
    {Step::List, "trickle", 60},
    {Step::Signature, "stall-after-headers", 30},
    {Step::Signature, "stall-silent", 30},
    {Step::Signature, "trickle", 60},
    {Step::Download, "stall-after-headers", 30},
    {Step::Download, "stall-silent", 30},
    {Step::Download, "trickle", 60 + kDownloadBytes / 65536},
};

const char kDownloadName[] = "stalled-setup.exe";

std::string DownloadAdvice(const std::string& code) {
    return "Download didn't start. \r\n"
           "You may need to change an option in Internet Explorer:\r\n\r\n"
           "   Select \"Internet options\", and then the \"Advanced\" tab.\r\n"
           "   Uncheck this option (under \"Security\"): \"Do not save encrypted pages to disk\"\r\n\r\n (" +
           code + ")";
}

// The failure that ends the step, and the file that held what had come.
std::string ExpectedMessage(const StallCase& c) {
    switch (c.step) {
        case Step::List:
            return "Could not connect to " + Host() + " (-2)";
        case Step::Signature:
            return "Could not verify the update list from " + Host() + " (-8)";
        case Step::Download:
        default:
            // INET_E_CONNECTION_TIMEOUT when nothing came, and
            // HRESULT_FROM_WIN32(ERROR_TIMEOUT) when it took too long.
            return DownloadAdvice(c.limitSeconds == 30 ? "-2146697205" : "-2147023436");
    }
}

const char* PartialFile(Step step) { return step == Step::Signature ? "UpdateList.sig" : "UpdateList.txt"; }

// The request that the server holds, as its log names it.
std::string StalledRequest(const StallCase& c) {
    const std::string path = c.step == Step::List        ? kListPath
                             : c.step == Step::Signature ? kSignaturePath
                                                         : "uploaded/protected/" + std::string(kDownloadName);
    return "GET /" + path + " " + c.mode;
}

std::string Describe(const StallCase& c) {
    const char* steps[] = {"the list", "the signature", "a method-4 download"};
    return std::string(steps[static_cast<int>(c.step)]) + " served " + c.mode;
}

bool ShortLimitsRead(Step step) {
    const char* name = step == Step::Signature ? "BRANTLE_E2E_SIGNED_TEST_LIMITS" : "BRANTLE_E2E_TEST_LIMITS";
    char value[8] = {};
    GetEnvironmentVariableA(name, value, sizeof value);
    return Check(std::string(value) == "ON", std::string("the build reads ") + kShortLimits,
                 std::string(name) + " is \"" + value + "\"; configure the build with -DBRANTLE_TEST_LIMITS=ON");
}

// Serves what the step needs, the step's own download in the stalling mode.
// A trickle begins with a burst of 4 KiB (update_server.py), so each stalled
// body is longer: the trickle goes on after it.
void ServeStalled(const StallCase& c) {
    const std::string tail(8192, '#');
    if (c.step == Step::Download) {
        Serve(kListPath, "Brantle,1.11,4," + std::string(kDownloadName) + "," + std::to_string(kDownloadBytes) + "\n");
    } else {
        Serve(kListPath, "Brantle,1.11,1,brantle.html\n" + tail, c.step == Step::List ? c.mode : "ok");
    }
    if (c.step == Step::Signature) Serve(kSignaturePath, tail, c.mode);
    if (c.step == Step::Download) {
        Serve("uploaded/protected/" + std::string(kDownloadName), std::string(kDownloadBytes, 'M'), c.mode);
    }
}

void RunStallCase(const StallCase& c) {
    const std::string what = Describe(c);
    ChildProcess child;
    HWND about = StartAndCheck(child, kShortLimits);
    if (!about) return;
    // The step's download starts at the click, or for a download at Yes.
    uint64_t started = GetTickCount64();
    if (c.step == Step::Download) {
        if (!ExpectUpgradePrompt(child, "1.11", about, IDYES, what)) return;
        started = GetTickCount64();
    }
    const uint64_t limitMs = uint64_t{c.limitSeconds} * kLimitSecondMs;
    HWND box = WaitForMessageBox(child.Pid(), kFailureCaption, static_cast<DWORD>(limitMs + kSlackMs));
    const uint64_t took = GetTickCount64() - started;
    if (!Check(box != nullptr, what + ": the failure shows within " + std::to_string(limitMs + kSlackMs) + " ms"))
        return;
    Check(took + kGrainMs >= limitMs, what + ": not before the limit of " + std::to_string(limitMs) + " ms",
          "it came after " + std::to_string(took) + " ms");
    ExpectBox(child, kFailureCaption, ExpectedMessage(c), nullptr, IDOK, what);
    WaitUntil([&] { return !IsWindow(box); }, kStepTimeout);
    Check(NoBoxAppears(child), what + ": the check ends there");
    Check(WasRequested(StalledRequest(c)), what + ": the server held the request", RequestLog());

    Check(!FileExists(TempFolder() + PartialFile(c.step)), what + ": what had come was deleted");
    if (c.step != Step::Download) {
        Check(RequestLog().find("/uploaded/protected/") == std::string::npos, what + ": nothing was downloaded",
              RequestLog());
    }
    if (c.step == Step::List) {
        Check(RequestLog().find(".sig") == std::string::npos, what + ": nothing more was asked for", RequestLog());
    }
    Check(!FileExists(TempFolder() + kDownloadName) && !FileExists(TempFolder() + kDownloadName + ".ran"),
          what + ": nothing was saved or started");
    ExpectAboutStaysOpen(child, about, what);
}

void RunStallCases(Step step) {
    // Without the build that carries a test key, the signature's cases are
    // skipped before anything is asked of that build.
    if (!ServerConfigured() || (step == Step::Signature && !SignedBuildGiven()) || !ShortLimitsRead(step)) return;
    for (const StallCase& c : kCases) {
        if (c.step != step) continue;
        if (step == Step::Signature) {
            UsingSignedBuild signedBuild;
            ResetForSignedList();
            ServeStalled(c);
            RunStallCase(c);
        } else {
            ResetServerAndTemp({kDownloadName});
            ServeStalled(c);
            RunStallCase(c);
        }
    }
}

}  // namespace

E2E_SCENARIO(update_stalled_list_is_ended_by_its_limits) { RunStallCases(Step::List); }

E2E_SCENARIO(update_stalled_signature_is_ended_by_its_limits) { RunStallCases(Step::Signature); }

E2E_SCENARIO(update_stalled_download_is_ended_by_its_limits) { RunStallCases(Step::Download); }
