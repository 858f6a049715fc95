#include "download_wait.h"

#include <new>
#include <stdexcept>

namespace {

// `size` bytes from the start of the file; the ones not read stay zero. A
// size too large to hold in memory gives no bytes.
std::string ReadFromStart(UpdatePlatform& platform, UpdateFileHandle file, uint32_t size) {
    std::string data;
    try {
        data.assign(size, '\0');
    } catch (const std::bad_alloc&) {
        return {};
    } catch (const std::length_error&) {
        return {};
    }
    uint32_t done = 0;
    while (done < size) {
        uint32_t got = platform.ReadFromFile(file, &data[done], size - done);
        if (got == 0) break;
        done += got;
    }
    return data;
}

}  // namespace

std::string WaitForDownloadedFile(UpdatePlatform& platform, const std::string& path) {
    uint32_t previousSize = 0;
    for (int32_t poll = 0;; ++poll) {
        UpdateFileHandle file = platform.OpenFileForPolling(path);
        uint32_t size = file ? platform.FileSize(file) : 0;
        if ((size >= DOWNLOAD_WAIT_MIN_COMPLETE && size == previousSize) || poll == DOWNLOAD_WAIT_LAST_POLL) {
            std::string data = file ? ReadFromStart(platform, file, size) : std::string();
            if (file) platform.CloseFile(file);
            return data;
        }
        platform.Pause(DOWNLOAD_WAIT_INTERVAL_MS);
        if (file) platform.CloseFile(file);
        previousSize = size;
    }
}
