#include "update_failure.h"

#include "update_address.h"

const char* const UPDATE_FAILURE_CAPTION = "Software update failed";
const char* const UNEXPECTED_ERROR_TEXT = "Unexpected error";

namespace {

const char DOWNLOAD_ADVICE[] =
    "Download didn't start. \r\n"
    "You may need to change an option in Internet Explorer:\r\n"
    "\r\n"
    "   Select \"Internet options\", and then the \"Advanced\" tab.\r\n"
    "   Uncheck this option (under \"Security\"): \"Do not save encrypted pages to disk\"\r\n"
    "\r\n";

std::string KindText(int32_t kind, std::string_view host, std::string_view text) {
    host = UpdateHostName(host);
    switch (kind) {
        case 1:
        case FAILURE_LIST_DOWNLOAD:
        case FAILURE_LIST_EMPTY:
            return "Could not connect to " + std::string(host);
        case FAILURE_DOWNLOAD:
            return DOWNLOAD_ADVICE;
        case FAILURE_INCOMPLETE:
        case FAILURE_HASH:
            return "Download incomplete";
        case FAILURE_SHELL_OPEN:
            return "Could not open: " + std::string(ShownListText(text)) + "\r\nwith default Internet browser";
        case FAILURE_LIST_SIGNATURE:
            return "Could not verify the update list from " + std::string(host);
        case FAILURE_METHOD:
            return "This version does not support that update method\r\nTry installing the program again from: " +
                   std::string(host) + "\r\n";
        default:
            return UNEXPECTED_ERROR_TEXT;
    }
}

}  // namespace

std::string_view ShownListText(std::string_view text) { return text.substr(0, UPDATE_SHOWN_TEXT_MAX); }

std::string UpdateFailureMessage(int32_t kind, std::string_view host, std::string_view text, int32_t code) {
    std::string message = KindText(kind, host, text);
    // Minus the kind, negated as unsigned so that no kind overflows.
    if (code == 0) code = static_cast<int32_t>(0u - static_cast<uint32_t>(kind));
    if (code != 0) message += " (" + std::to_string(code) + ")";
    return message;
}

void ReportUpdateFailure(UpdatePlatform& platform, std::string_view host, int32_t kind, std::string_view text,
                         int32_t code) {
    platform.ShowMessageBox(0, UpdateFailureMessage(kind, host, text, code).c_str(), UPDATE_FAILURE_CAPTION,
                            UPDATE_FAILURE_STYLE);
}

void ReportUpdateFailure(UpdatePlatform& platform, std::string_view host, const UpdateFailure& failure) {
    ReportUpdateFailure(platform, host, failure.kind, {}, failure.code);
}
