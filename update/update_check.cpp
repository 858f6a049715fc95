#include "update_check.h"

#include <string>

#include "download_wait.h"
#include "list_signature.h"
#include "transfer_limits.h"
#include "update_address.h"
#include "update_failure.h"
#include "update_list.h"
#include "update_methods.h"
#include "version_number.h"

namespace {

int32_t CheckSteps(UpdatePlatform& platform, std::string_view host, uintptr_t ownerWindow, std::string_view programName,
                   std::string_view currentVersion, const P256PublicKey* listKey, uint32_t limitSecondMs) {
    std::string directory;
    if (uint32_t error = platform.TemporaryDirectory(directory)) {
        ReportUpdateFailure(platform, host, {FAILURE_TEMP_DIRECTORY, static_cast<int32_t>(error)});
        return 0;
    }
    std::string localListPath = directory + LOCAL_LIST_NAME;
    platform.RemoveFile(localListPath);

    // The wait cursor shows only while the list (and its signature) is
    // fetched, and gives way to the arrow before any message, whatever the
    // outcome.
    platform.SetCursorShape(UpdateCursor::Wait);
    std::string list;
    UpdateFailure failure;
    if (DownloadWithinLimits(platform, UpdateListAddress(host), localListPath, ListTransferLimits(limitSecondMs)) !=
        0) {
        failure = {FAILURE_LIST_DOWNLOAD, 0};
    } else if (listKey) {
        failure = ReadSignedList(platform, host, directory, localListPath, *listKey, UPDATE_LIST_MAX_BYTES, list,
                                 limitSecondMs);
    } else {
        list = WaitForDownloadedFile(platform, localListPath, UPDATE_LIST_MAX_BYTES);
        if (list.empty()) failure = {FAILURE_LIST_EMPTY, 0};
    }
    platform.SetCursorShape(UpdateCursor::Arrow);
    if (failure.kind) {
        ReportUpdateFailure(platform, host, failure);
        return 0;
    }

    UpdateListEntry entry;
    if (!FindUpdateListEntry(list, programName, entry)) return 0;

    std::string current(currentVersion);
    if (IsNewerVersion(entry.version, current)) {
        if (listKey && !IsOfferedFromSignedList(entry)) {
            ReportUpdateFailure(platform, host, {FAILURE_LIST_SIGNATURE, 0});
            return 0;
        }
        std::string question = "Do you wish to upgrade your installed version " + current + "\r\nto version " +
                               std::string(ShownListText(entry.version)) + " ?";
        int32_t answer = platform.ShowMessageBox(ownerWindow, question.c_str(), "Newer version available",
                                                 UPDATE_MB_YESNO | UPDATE_MB_ICONQUESTION);
        if (answer != UPDATE_IDYES) return 0;
        return RunUpdateMethod(platform, host, entry, localListPath, limitSecondMs);
    }
    std::string latest = "You're already running the latest version: " + current;
    platform.ShowMessageBox(ownerWindow, latest.c_str(), "No update available", UPDATE_MB_OK);
    return 0;
}

}  // namespace

int32_t RunUpdateCheck(UpdatePlatform& platform, std::string_view host, uintptr_t ownerWindow,
                       std::string_view programName, std::string_view currentVersion, const P256PublicKey* listKey,
                       uint32_t limitSecondMs) {
    // Out of memory, or any other error of the standard library, ends the
    // check and nothing else: the message is shown without building any
    // text, and the files and hashes under way have been closed on the way
    // out.
    try {
        return CheckSteps(platform, host, ownerWindow, programName, currentVersion, listKey, limitSecondMs);
    } catch (...) {
        platform.SetCursorShape(UpdateCursor::Arrow);
        platform.ShowMessageBox(0, UNEXPECTED_ERROR_TEXT, UPDATE_FAILURE_CAPTION, UPDATE_FAILURE_STYLE);
        return 0;
    }
}
