#include "update_methods.h"

#include "check_for_updates.h"
#include "download_check.h"
#include "download_wait.h"
#include "update_address.h"
#include "update_failure.h"

namespace {

// Reports an address that is not clean; such an address is never fetched
// or opened. Returns whether it was clean.
bool AcceptAddress(UpdatePlatform& platform, std::string_view host, const std::string& address) {
    if (IsCleanAddress(address)) return true;
    ReportUpdateFailure(platform, host, {FAILURE_REFUSED_ADDRESS, 0});
    return false;
}

int32_t OpenInBrowser(UpdatePlatform& platform, std::string_view host, const UpdateListEntry& entry) {
    std::string address = CompleteBrowserAddress(entry.address, host);
    if (!AcceptAddress(platform, host, address)) return 0;
    uint32_t result = platform.OpenAddress(address);
    if (result > 32) return UpdateLaunched;
    ReportUpdateFailure(platform, host, FAILURE_SHELL_OPEN, address, static_cast<int32_t>(result));
    return 0;
}

// Copies the local file to `savedPath` piece by piece, checking it as
// CheckDownload does. The local file is opened first: should the saved path
// reach it under another name (a short name, a link), creating the saved
// file then fails on the open local file instead of emptying it. A copy
// that fails, or that an exception interrupts, is removed.
UpdateFailure SaveCheckedCopy(UpdatePlatform& platform, const std::string& localPath, const std::string& savedPath,
                              uint64_t size, int32_t expectedSize, const Sha256Digest* hash) {
    ScopedUpdateFile source(platform, platform.OpenFileForPolling(localPath));
    uint32_t error = 0;
    ScopedUpdateFile target(platform, platform.CreateNewFile(savedPath, error));
    if (!target.Get()) return {FAILURE_SAVE, static_cast<int32_t>(error)};
    UpdateFailure copy;
    try {
        copy = CheckDownload(platform, source.Get(), size, expectedSize, hash, target.Get());
    } catch (...) {
        target.Close();
        platform.RemoveFile(savedPath);
        throw;
    }
    uint32_t closeError = target.Close();
    if (closeError && !copy.kind) copy = {FAILURE_SAVE, static_cast<int32_t>(closeError)};
    if (copy.kind) platform.RemoveFile(savedPath);
    return copy;
}

// Starts the saved file only as it was checked. The copy had to be closed
// before the file could be started, and anyone who may write to the
// temporary directory could have changed it since. So it is opened again
// in a way that lets no one write, rename or delete it, checked again
// through that handle (exactly the size copied, every byte read, and the
// list's SHA-256 where it gives one), and started while it is held: the
// name that the new process is started by can then only reach these bytes.
// A file that cannot be held, or that no longer passes, is removed and not
// started.
UpdateFailure StartHeldCopy(UpdatePlatform& platform, const std::string& savedPath, uint64_t size, int32_t expectedSize,
                            const Sha256Digest* hash) {
    uint32_t error = 0;
    ScopedUpdateFile held(platform, platform.OpenFileToStart(savedPath, error));
    if (!held.Get()) {
        platform.RemoveFile(savedPath);
        return {FAILURE_SAVE, static_cast<int32_t>(error)};
    }
    UpdateFailure check;
    const uint64_t sizeNow = platform.FileSize(held.Get());
    if (sizeNow != size) {
        check = {FAILURE_INCOMPLETE, ByteCountCode(sizeNow)};
    } else {
        check = CheckDownload(platform, held.Get(), size, expectedSize, hash, 0);
    }
    if (check.kind) {
        held.Close();
        platform.RemoveFile(savedPath);
        return check;
    }
    error = platform.StartProgram(savedPath);
    held.Close();
    if (error) return {FAILURE_START, static_cast<int32_t>(error)};
    return {};
}

// Method 4. The download is checked whole (every byte read, the list's size
// and SHA-256) before anything is saved; the copy to the saved file is then
// checked again on its way, since the local file may have changed in between,
// and once more while it is held for the start. A saved file that fails is
// removed, so nothing unchecked is left to run.
int32_t DownloadAndStart(UpdatePlatform& platform, std::string_view host, const UpdateListEntry& entry,
                         const std::string& localListPath, uint32_t limitSecondMs) {
    std::string address = CompleteDownloadAddress(entry.address, host);
    if (!AcceptAddress(platform, host, address)) return 0;
    // A name that could reach outside the temporary directory, that Windows
    // cannot hold, or that is the local list file (the download itself) is
    // refused before anything is fetched.
    std::string name = SavedFileName(address);
    if (!IsSafeFileName(name) || IsLocalListName(name)) {
        ReportUpdateFailure(platform, host, {FAILURE_REFUSED_ADDRESS, 0});
        return 0;
    }
    // So is a hash that cannot be checked: the maker meant a check.
    Sha256Digest expectedHash{};
    const bool hasHash = !entry.sha256.empty();
    if (hasHash && !ParseSha256(entry.sha256, expectedHash)) {
        ReportUpdateFailure(platform, host, {FAILURE_HASH, 0});
        return 0;
    }
    const Sha256Digest* hash = hasHash ? &expectedHash : nullptr;

    // A download that its limits end is reported as one that failed, with
    // the code of the limit; what it had written is gone by then.
    int32_t result =
        DownloadWithinLimits(platform, address, localListPath, DownloadTransferLimits(entry.size, limitSecondMs));
    if (result != 0) {
        ReportUpdateFailure(platform, host, FAILURE_DOWNLOAD, address, result);
        return 0;
    }
    SettledFile settled = WaitForSettledFile(platform, localListPath);
    {
        ScopedUpdateFile source(platform, settled.file);
        UpdateFailure check = CheckDownload(platform, source.Get(), settled.size, entry.size, hash, 0);
        if (check.kind) {
            ReportUpdateFailure(platform, host, check);
            return 0;
        }
    }

    std::string directory;
    if (uint32_t error = platform.TemporaryDirectory(directory)) {
        ReportUpdateFailure(platform, host, {FAILURE_TEMP_DIRECTORY, static_cast<int32_t>(error)});
        return 0;
    }
    std::string savedPath = directory + name;
    UpdateFailure outcome = SaveCheckedCopy(platform, localListPath, savedPath, settled.size, entry.size, hash);
    if (!outcome.kind) outcome = StartHeldCopy(platform, savedPath, settled.size, entry.size, hash);
    if (outcome.kind) {
        ReportUpdateFailure(platform, host, outcome);
        return 0;
    }
    return UpdateLaunched;
}

}  // namespace

bool IsOfferedFromSignedList(const UpdateListEntry& entry) {
    return entry.method != METHOD_DOWNLOAD_AND_START || !entry.sha256.empty();
}

int32_t RunUpdateMethod(UpdatePlatform& platform, std::string_view host, const UpdateListEntry& entry,
                        const std::string& localListPath, uint32_t limitSecondMs) {
    switch (entry.method) {
        case METHOD_BROWSER:
        case METHOD_BROWSER_TOO:
            return OpenInBrowser(platform, host, entry);
        case METHOD_DOWNLOAD_AND_START:
            return DownloadAndStart(platform, host, entry, localListPath, limitSecondMs);
        default:
            // 100 + method, wrapped as unsigned so that no method overflows.
            ReportUpdateFailure(platform, host,
                                {FAILURE_METHOD, static_cast<int32_t>(100u + static_cast<uint32_t>(entry.method))});
            return 0;
    }
}
