// The update check behind the About dialog's "Check for updates" button.
#pragma once

#include <cstdint>
#include <string>

// The update check's result when a new version was handed to the browser or a
// downloaded installer was started.
constexpr int32_t UpdateLaunched = -2;

// Checks the update server for a newer version of `programName` than
// `currentVersion`, asks the user and, on Yes, opens or downloads and starts
// it. `ownerWindow` is the About dialog's window handle. Returns
// UpdateLaunched or 0. Runs on the user-interface thread and blocks it.
int32_t CheckForUpdates(uintptr_t ownerWindow, const std::string& programName, const std::string& currentVersion);
