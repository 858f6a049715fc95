#include "check_for_updates.h"

#include <windows.h>

#include <new>

#include "update_check.h"
#include "update_failure.h"
#include "update_host.h"
#include "update_platform_win.h"

int32_t CheckForUpdates(uintptr_t ownerWindow, const std::string& programName, const std::string& currentVersion) {
    Win32UpdatePlatform platform;
    try {
        return RunUpdateCheck(platform, UPDATE_HOST, ownerWindow, programName, currentVersion);
    } catch (const std::bad_alloc&) {
        // Out of memory: nothing may escape into the dialog callback, and the
        // message is shown without building any text.
        MessageBoxA(nullptr, "Unexpected error", UPDATE_FAILURE_CAPTION, UPDATE_FAILURE_STYLE);
        platform.SetCursorShape(UpdateCursor::Arrow);
        return 0;
    }
}
