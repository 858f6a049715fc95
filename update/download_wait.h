// Waiting for a just-downloaded file to be complete, and reading it whole.
#pragma once

#include <cstdint>
#include <string>

#include "update_platform.h"

constexpr int32_t DOWNLOAD_WAIT_LAST_POLL = 30;      // the 31st poll takes what is there
constexpr uint32_t DOWNLOAD_WAIT_INTERVAL_MS = 100;  // between polls
constexpr uint32_t DOWNLOAD_WAIT_MIN_COMPLETE = 4;   // a smaller file is never taken as complete

// Polls the file at `path` (creating it empty if missing) until its size is
// more than 3 bytes and unchanged since the previous poll, or until the 31st
// poll, and returns its bytes; bytes that fail to be read are zero. A file
// that cannot be opened counts as empty.
std::string WaitForDownloadedFile(UpdatePlatform& platform, const std::string& path);
