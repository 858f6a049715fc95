#include "update_methods.h"

#include "check_for_updates.h"
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

    int32_t result = platform.DownloadToFile(address, localListPath);
    if (result != 0) {
        ReportUpdateFailure(platform, host, FAILURE_DOWNLOAD, address, result);
        return 0;
    }
    std::string data = WaitForDownloadedFile(platform, localListPath);
    if (static_cast<int64_t>(data.size()) < static_cast<int64_t>(entry.size)) {
        ReportUpdateFailure(platform, host, FAILURE_INCOMPLETE, {}, static_cast<int32_t>(data.size()));
        return 0;
    }

    std::string directory;
    if (uint32_t error = platform.TemporaryDirectory(directory)) {
        ReportUpdateFailure(platform, host, FAILURE_TEMP_DIRECTORY, {}, static_cast<int32_t>(error));
        return 0;
    }
    std::string savedPath = directory + name;
    if (uint32_t error = platform.WriteNewFile(savedPath, data)) {
        ReportUpdateFailure(platform, host, FAILURE_SAVE, {}, static_cast<int32_t>(error));
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
