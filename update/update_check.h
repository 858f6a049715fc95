// The update check behind "Check for updates", over the platform interface.
#pragma once

#include <cstdint>
#include <string_view>

#include "update_platform.h"

// Downloads the update list from `host` into the temporary directory, finds
// the line for `programName` and, when its version is newer than
// `currentVersion`, asks the user (a message box owned by `ownerWindow`) and
// on Yes runs the entry's update method; otherwise says that the latest
// version is running. Only the list's first UPDATE_LIST_MAX_BYTES are read.
// Failures are reported, running out of memory as "Unexpected error"; no
// exception leaves the check. The wait cursor shown during the list
// download gives way to the arrow on every way out. Returns UpdateLaunched
// (-2) or 0.
int32_t RunUpdateCheck(UpdatePlatform& platform, std::string_view host, uintptr_t ownerWindow,
                       std::string_view programName, std::string_view currentVersion);
