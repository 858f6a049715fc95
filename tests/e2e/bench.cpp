// Start-up time: from CreateProcess to the first dialog becoming visible,
// for brantle.exe /S and for a minimal program that shows one dialog of
// the same size and caption, started alternately.
#include <algorithm>
#include <cstdio>

#include "e2e.h"
#include "harness_run.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Milliseconds until the dialog shows, or a negative value on failure. The
// program is closed through the system afterwards and waited for.
double TimeOneStart(const std::wstring& exe, const std::string& arguments) {
    ChildProcess child;
    const double start = Now();
    if (!child.Start(exe, arguments)) return -1;
    HWND dialog = nullptr;
    // Tight polling here: the figure is the time to the dialog, so the
    // harness checks every millisecond rather than every 10.
    while (!dialog && child.Running() && Now() - start < kStartTimeout) {
        std::vector<HWND> found = FindDialogs(child.Pid(), kDialogCaption);
        if (!found.empty())
            dialog = found.front();
        else
            Sleep(1);
    }
    const double elapsed = Now() - start;
    if (!dialog) return -1;
    CloseBySystem(dialog);
    if (!child.WaitForExit(kStepTimeout)) child.Terminate();
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int RunStartupBenchmark(const std::wstring& brantleExe, const std::wstring& minimalExe, int starts) {
    std::vector<double> brantle, minimal;
    // One start of each first, not counted: it warms the file cache.
    TimeOneStart(brantleExe, "/S");
    TimeOneStart(minimalExe, "");
    for (int i = 0; i < starts; ++i) {
        double a = TimeOneStart(brantleExe, "/S");
        double b = TimeOneStart(minimalExe, "");
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "start %d failed (brantle %.1f ms, minimal %.1f ms)\n", i + 1, a, b);
            return 1;
        }
        brantle.push_back(a);
        minimal.push_back(b);
    }
    double mb = Median(brantle), mm = Median(minimal);
    std::printf("starts each: %d\n", starts);
    std::printf("brantle.exe /S median: %.1f ms (min %.1f, max %.1f)\n", mb,
                *std::min_element(brantle.begin(), brantle.end()), *std::max_element(brantle.begin(), brantle.end()));
    std::printf("minimal dialog median: %.1f ms (min %.1f, max %.1f)\n", mm,
                *std::min_element(minimal.begin(), minimal.end()), *std::max_element(minimal.begin(), minimal.end()));
    std::printf("ratio: %.3f\n", mb / mm);
    return 0;
}
