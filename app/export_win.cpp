// The main dialog exported for other programs as BRANTLE (ordinal 1, see
// brantle_x86.def and brantle_x64.def), with the standard calling convention
// of each word size.
#include <cstdint>

#include "dialog_font.h"
#include "dialogs_win.h"
#include "string_handle.h"

extern "C" int32_t __stdcall BrantleExport(uint32_t owner, const char* const* initialNumber) {
    // Called by another program, start-up has not run.
    if (!DefaultDialogFont.face) SetDefaultDialogFont();
    // Nothing may unwind into the caller: out of memory ends as a close
    // through the system would.
    try {
        return BRANTLE(owner, TextOfStringHandle(initialNumber));
    } catch (...) {
        return MainDialogResult(SYSTEM_CLOSE_END.value);
    }
}
