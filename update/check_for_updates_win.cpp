#include "check_for_updates.h"

#include "transfer_limits.h"
#include "update_check.h"
#include "update_host.h"
#include "update_platform_win.h"
#include "update_public_key.h"

#ifdef BRANTLE_TEST_LIMITS
#include "ansi_text_win.h"
#include "program_arguments.h"
#endif

namespace {

// The length of a second of the downloads' time limits: shorter only in a
// build for the end-to-end tests, when its command line says so, so that a
// stalled server need not be waited for at full length.
uint32_t LimitSecondMs() {
#ifdef BRANTLE_TEST_LIMITS
    try {
        return ReadLimitSecondSwitch(NarrowAnsi(ProgramArguments()));
    } catch (...) {
        return LIMIT_SECOND_MS;
    }
#else
    return LIMIT_SECOND_MS;
#endif
}

}  // namespace

int32_t CheckForUpdates(uintptr_t ownerWindow, const std::string& programName, const std::string& currentVersion) {
    // RunUpdateCheck lets no exception out.
    Win32UpdatePlatform platform;
    return RunUpdateCheck(platform, UPDATE_HOST, ownerWindow, programName, currentVersion,
                          UPDATE_PUBLIC_KEY_BUILT_IN ? &UPDATE_PUBLIC_KEY : nullptr, LimitSecondMs());
}
