// The order in which start-up shows the dialogs and reports their outcome,
// over a narrow view of the dialogs so that it runs without windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dialog_ending.h"
#include "result_record.h"

struct StartupDialogs {
    virtual ~StartupDialogs() = default;

    // The About dialog in ABOUT_START or ABOUT_END mode, with the run's
    // option set; tells how it ended.
    virtual DialogEnding ShowAbout(uint32_t owner, int32_t mode, int32_t optionSet) = 0;

    // One showing of the main dialog; returns the option set after "Close",
    // -2 after Esc and -1 after a close through the system. It starts from
    // `record` as the earlier showings left it (the option set first comes
    // from "/Q") and leaves in it what it showed and the user ticked.
    virtual int32_t RunMainDialog(uint32_t owner, const std::string& initialNumber, ResultRecord& record) = 0;

    // Sends the result record to the calling program's window.
    virtual void SendResult(uint32_t owner, const ResultRecord& record) = 0;
};

// The dwData of the result message: the record follows.
constexpr uint32_t COPYDATA_RESULT_RECORD = 3;

// HWND_BROADCAST, and HWND_TOPMOST (-1), which SendMessage takes as a
// broadcast as well (Wine does): "windows" that would hand the record to
// every top-level window of the session. Never a calling program's window.
constexpr uint32_t BROADCAST_WINDOW = 0xFFFF;
constexpr uint32_t TOPMOST_WINDOW = 0xFFFFFFFF;
constexpr bool IsBroadcastOwner(uint32_t owner) { return owner == BROADCAST_WINDOW || owner == TOPMOST_WINDOW; }

// Runs the program for `argumentText` (the 8-bit arguments): takes the
// option set from "/Q", shows the dialogs in their order and returns the
// exit code. The run keeps its own record, which each showing of the main
// dialog takes over from the one before.
//
// Only how the About dialog ended counts, never its end value: "OK" and
// "Close" end it with 1 + OptionSet, which for some option sets equals the
// values of "Run again" (-1) or of a launched update (-2).
int32_t RunStartup(StartupDialogs& dialogs, std::string_view argumentText);
