// The program's entry after the process has set itself up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "result_record.h"

// Runs the dialogs for the arguments (the command line without the program's
// name, UTF-16) and returns the exit code. The previous-instance handle and
// the show command are not used: the dialogs show themselves.
int32_t ProgramMain(HINSTANCE instance, HINSTANCE previousInstance, std::u16string_view argumentText, int showCommand);

// Sends the result record to the calling program's window as WM_COPYDATA and
// waits until that window has handled it.
void SendResultRecord(uint32_t owner, const ResultRecord& record);
