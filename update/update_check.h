// The update check behind "Check for updates", over the platform interface.
#pragma once

#include <cstdint>
#include <string_view>

#include "transfer_limits.h"
#include "update_list.h"
#include "update_platform.h"

// Downloads the update list from `host` into the temporary directory, finds
// the line for `programName` and, when its version is newer than
// `currentVersion`, asks the user (a message box owned by `ownerWindow`) and
// on Yes runs the entry's update method; otherwise says that the latest
// version is running. Only the list's first UPDATE_LIST_MAX_BYTES are read.
// With `listKey` (the maker's public key built into the program; null for
// none) the list counts only once its signature verifies, all of it hashed,
// and a download (method 4) is offered only with its SHA-256; otherwise
// nothing from it is shown and "Could not verify the update list" is
// reported. Every download is held to its time limits (transfer_limits.h),
// counted in seconds of `limitSecondMs`; one that a limit ends is that
// step's failure. Failures are reported, running out of memory as
// "Unexpected error"; no exception leaves the check. The wait cursor shown
// during the list download gives way to the arrow on every way out. Returns
// UpdateLaunched (-2) or 0.
int32_t RunUpdateCheck(UpdatePlatform& platform, std::string_view host, uintptr_t ownerWindow,
                       std::string_view programName, std::string_view currentVersion, const P256PublicKey* listKey,
                       uint32_t limitSecondMs = LIMIT_SECOND_MS);
