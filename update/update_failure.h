// The one message box in which every failure of the update subsystem is
// reported.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "update_platform.h"

// Failure kinds: the kind picks the message. Kinds 9 to 12 have no message
// of their own and show "Unexpected error" with the system's error code.
enum : int32_t {
    FAILURE_LIST_DOWNLOAD = 2,    // the list download reported failure
    FAILURE_LIST_EMPTY = 3,       // the list arrived without bytes
    FAILURE_DOWNLOAD = 4,         // a method-4 download reported failure
    FAILURE_INCOMPLETE = 5,       // a method-4 download is shorter than its size, or was not read whole
    FAILURE_HASH = 6,             // a method-4 download lacks the list's SHA-256
    FAILURE_SHELL_OPEN = 7,       // the shell could not open the address
    FAILURE_LIST_SIGNATURE = 8,   // the list is not signed by the maker's key, or a download in it has no SHA-256
    FAILURE_REFUSED_ADDRESS = 9,  // the address is not clean, or gives no usable file name
    FAILURE_SAVE = 10,            // the downloaded file could not be saved
    FAILURE_START = 11,           // the saved file could not be started
    FAILURE_TEMP_DIRECTORY = 12,  // the system names no temporary directory
    FAILURE_METHOD = 99,          // the update method is not supported
};

// A failure to report: its kind (0 for none: nothing failed) and its code.
struct UpdateFailure {
    int32_t kind = 0;
    int32_t code = 0;
};

extern const char* const UPDATE_FAILURE_CAPTION;  // "Software update failed"
extern const char* const UNEXPECTED_ERROR_TEXT;   // "Unexpected error"
constexpr uint32_t UPDATE_FAILURE_STYLE = UPDATE_MB_OK | UPDATE_MB_ICONEXCLAMATION | UPDATE_MB_TASKMODAL;

// A text from the update list is shown in a message box with at most this
// many characters.
constexpr size_t UPDATE_SHOWN_TEXT_MAX = 200;

// The first UPDATE_SHOWN_TEXT_MAX characters of `text`.
std::string_view ShownListText(std::string_view text);

// The message for a failure: the kind's text, then " (code)" unless the code
// is 0, in which case minus the kind stands for it. `host` is the update
// server's host setting; `text` the address that kind 7 names, shown cut
// by ShownListText.
std::string UpdateFailureMessage(int32_t kind, std::string_view host, std::string_view text, int32_t code);

// Shows UpdateFailureMessage in a task-modal box without owner.
void ReportUpdateFailure(UpdatePlatform& platform, std::string_view host, int32_t kind, std::string_view text,
                         int32_t code);
// The same for a failure that names no address.
void ReportUpdateFailure(UpdatePlatform& platform, std::string_view host, const UpdateFailure& failure);
