#include "check_for_updates.h"

#include "update_check.h"
#include "update_host.h"
#include "update_platform_win.h"
#include "update_public_key.h"

int32_t CheckForUpdates(uintptr_t ownerWindow, const std::string& programName, const std::string& currentVersion) {
    // RunUpdateCheck lets no exception out.
    Win32UpdatePlatform platform;
    return RunUpdateCheck(platform, UPDATE_HOST, ownerWindow, programName, currentVersion,
                          UPDATE_PUBLIC_KEY_BUILT_IN ? &UPDATE_PUBLIC_KEY : nullptr);
}
