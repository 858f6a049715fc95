#include "download_wait.h"

#include <algorithm>

SettledFile WaitForSettledFile(UpdatePlatform& platform, const std::string& path) {
    uint64_t previousSize = 0;
    for (int32_t poll = 0;; ++poll) {
        ScopedUpdateFile file(platform, platform.OpenFileForPolling(path));
        uint64_t size = file.Get() ? platform.FileSize(file.Get()) : 0;
        if ((size >= DOWNLOAD_WAIT_MIN_COMPLETE && size == previousSize) || poll == DOWNLOAD_WAIT_LAST_POLL)
            return SettledFile{file.Release(), size};
        platform.Pause(DOWNLOAD_WAIT_INTERVAL_MS);
        previousSize = size;
    }
}

std::string ReadSettledFile(UpdatePlatform& platform, const SettledFile& settled, uint32_t maxBytes) {
    ScopedUpdateFile file(platform, settled.file);
    if (!file.Get()) return {};
    std::string data(static_cast<size_t>(std::min<uint64_t>(settled.size, maxBytes)), '\0');
    size_t done = 0;
    while (done < data.size()) {
        uint32_t got = platform.ReadFromFile(file.Get(), &data[done], static_cast<uint32_t>(data.size() - done));
        if (got == 0) break;
        done += got;
    }
    data.resize(done);
    return data;
}

std::string WaitForDownloadedFile(UpdatePlatform& platform, const std::string& path, uint32_t maxBytes) {
    return ReadSettledFile(platform, WaitForSettledFile(platform, path), maxBytes);
}
