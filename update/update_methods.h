// Carrying out the user's Yes: opening the new version's page in the
// browser, or downloading, saving and starting it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "transfer_limits.h"
#include "update_list.h"
#include "update_platform.h"

// The signature vouches for the list; only the list's SHA-256 ties a
// download's bytes to it. So a signed list offers its line unless that
// downloads a file (METHOD_DOWNLOAD_AND_START) without giving the file's
// SHA-256.
bool IsOfferedFromSignedList(const UpdateListEntry& entry);

// By the entry's method: 1 or 2 open the completed address with the shell;
// 4 downloads it into the local list file, saves it in the temporary
// directory under the name after the address's last "/" and starts exactly
// that file, held unchanged from its last check until it has been started;
// its download is held to the time limits of one of its size, counted in
// seconds of `limitSecondMs`. An address that is not clean is refused
// before anything is fetched or opened. Every failure is reported. Returns
// UpdateLaunched (-2) when the new version was handed over, otherwise 0.
int32_t RunUpdateMethod(UpdatePlatform& platform, std::string_view host, const UpdateListEntry& entry,
                        const std::string& localListPath, uint32_t limitSecondMs = LIMIT_SECOND_MS);
