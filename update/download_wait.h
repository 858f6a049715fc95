// Waiting for a just-downloaded file to be complete, and reading it.
#pragma once

#include <cstdint>
#include <string>

#include "update_platform.h"

constexpr int32_t DOWNLOAD_WAIT_LAST_POLL = 30;      // the 31st poll takes what is there
constexpr uint32_t DOWNLOAD_WAIT_INTERVAL_MS = 100;  // between polls
constexpr uint32_t DOWNLOAD_WAIT_MIN_COMPLETE = 4;   // a smaller file is never taken as complete

// A file as the wait took it: open at its start (0 when it could not be
// opened), and its size on disk at that poll.
struct SettledFile {
    UpdateFileHandle file = 0;
    uint64_t size = 0;
};

// Polls the file at `path` (creating it empty if missing) until its size is
// more than 3 bytes and unchanged since the previous poll, or until the 31st
// poll. The caller closes the file it returns. A file that cannot be opened
// counts as empty.
SettledFile WaitForSettledFile(UpdatePlatform& platform, const std::string& path);

// The bytes of a settled file from its start, at most `maxBytes` of them,
// and closes it. Only bytes actually read are returned: a read that fails
// ends the data there.
std::string ReadSettledFile(UpdatePlatform& platform, const SettledFile& settled, uint32_t maxBytes);

// WaitForSettledFile, then ReadSettledFile.
std::string WaitForDownloadedFile(UpdatePlatform& platform, const std::string& path, uint32_t maxBytes);
