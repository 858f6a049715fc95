#include "update_methods.h"

#include "check_for_updates.h"
#include "download_check.h"
#include "download_wait.h"
#include "update_address.h"
#include "update_failure.h"

namespace {

int32_t OpenInBrowser(UpdatePlatform& platform, std::string_view host, const UpdateListEntry& entry) {
    std::string address = CompleteBrowserAddress(entry.address, host);
    uint32_t result = platform.OpenAddress(address);
    if (result > 32) return UpdateLaunched;
    ReportUpdateFailure(platform, host, FAILURE_SHELL_OPEN, address, static_cast<int32_t>(result));
    return 0;
}

// Copies the local file to `savedPath` piece by piece, checking it as
// CheckDownload does. A copy that fails, or that an exception interrupts,
// is removed.
DownloadCheck SaveCheckedCopy(UpdatePlatform& platform, const std::string& localPath, const std::string& savedPath,
                              uint64_t size, int32_t expectedSize, const Sha256Digest* hash) {
    uint32_t error = 0;
    ScopedUpdateFile target(platform, platform.CreateNewFile(savedPath, error));
    if (!target.Get()) return {FAILURE_SAVE, static_cast<int32_t>(error)};
    DownloadCheck copy;
    try {
        ScopedUpdateFile source(platform, platform.OpenFileForPolling(localPath));
        copy = CheckDownload(platform, source.Get(), size, expectedSize, hash, target.Get());
    } catch (...) {
        target.Close();
        platform.RemoveFile(savedPath);
        throw;
    }
    uint32_t closeError = target.Close();
    if (closeError && !copy.failureKind) copy = {FAILURE_SAVE, static_cast<int32_t>(closeError)};
    if (copy.failureKind) platform.RemoveFile(savedPath);
    return copy;
}

// Method 4. The download is checked whole (every byte read, the list's size
// and SHA-256) before anything is saved; the copy to the saved file is then
// checked again on its way, since the local file may have changed in between.
// A saved file that fails is removed, so nothing unchecked is left to run.
int32_t DownloadAndStart(UpdatePlatform& platform, std::string_view host, const UpdateListEntry& entry,
                         const std::string& localListPath) {
    std::string address = CompleteDownloadAddress(entry.address, host);
    // A name that could reach outside the temporary directory, or that
    // Windows cannot hold, is refused before anything is fetched.
    std::string name = SavedFileName(address);
    if (!IsSafeFileName(name)) {
        ReportUpdateFailure(platform, host, FAILURE_SAVED_FILE_NAME, {}, 0);
        return 0;
    }
    // So is a hash that cannot be checked: the maker meant a check.
    Sha256Digest expectedHash{};
    const bool hasHash = !entry.sha256.empty();
    if (hasHash && !ParseSha256(entry.sha256, expectedHash)) {
        ReportUpdateFailure(platform, host, FAILURE_HASH, {}, 0);
        return 0;
    }
    const Sha256Digest* hash = hasHash ? &expectedHash : nullptr;

    int32_t result = platform.DownloadToFile(address, localListPath);
    if (result != 0) {
        ReportUpdateFailure(platform, host, FAILURE_DOWNLOAD, address, result);
        return 0;
    }
    SettledFile settled = WaitForSettledFile(platform, localListPath);
    {
        ScopedUpdateFile source(platform, settled.file);
        DownloadCheck check = CheckDownload(platform, source.Get(), settled.size, entry.size, hash, 0);
        if (check.failureKind) {
            ReportUpdateFailure(platform, host, check.failureKind, {}, check.code);
            return 0;
        }
    }

    std::string directory;
    if (uint32_t error = platform.TemporaryDirectory(directory)) {
        ReportUpdateFailure(platform, host, FAILURE_TEMP_DIRECTORY, {}, static_cast<int32_t>(error));
        return 0;
    }
    std::string savedPath = directory + name;
    DownloadCheck copy = SaveCheckedCopy(platform, localListPath, savedPath, settled.size, entry.size, hash);
    if (copy.failureKind) {
        ReportUpdateFailure(platform, host, copy.failureKind, {}, copy.code);
        return 0;
    }
    if (uint32_t error = platform.StartProgram(savedPath)) {
        ReportUpdateFailure(platform, host, FAILURE_START, {}, static_cast<int32_t>(error));
        return 0;
    }
    return UpdateLaunched;
}

}  // namespace

int32_t RunUpdateMethod(UpdatePlatform& platform, std::string_view host, const UpdateListEntry& entry,
                        const std::string& localListPath) {
    switch (entry.method) {
        case 1:
        case 2:
            return OpenInBrowser(platform, host, entry);
        case 4:
            return DownloadAndStart(platform, host, entry, localListPath);
        default:
            // 100 + method, wrapped as unsigned so that no method overflows.
            ReportUpdateFailure(platform, host, FAILURE_METHOD, {},
                                static_cast<int32_t>(100u + static_cast<uint32_t>(entry.method)));
            return 0;
    }
}
