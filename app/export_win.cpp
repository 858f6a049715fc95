// The main dialog exported for other programs as BRANTLE (ordinal 1, see
// brantle_x86.def and brantle_x64.def), with the standard calling convention
// of each word size.
#include <cstdint>

#include "dialog_font.h"
#include "dialogs_win.h"
#include "library_readiness_win.h"
#include "string_handle.h"

extern "C" int32_t __stdcall BrantleExport(uint32_t owner, const char* const* initialNumber) {
    // Loaded by another program, the module is not ready for any call until
    // this has bound its imports; a module that cannot be made ready shows
    // nothing and answers as a dialog that could not be made.
    if (!MakeReadyForCallers()) return MainDialogResult(SYSTEM_CLOSE_END.value);
    // The record of the program that has loaded this module, which shows the
    // dialog one call after another as start-up does: each showing starts
    // with the ticks that the last one left. It is kept here, process-wide,
    // because only this entry point knows its caller; start-up keeps a record
    // of its own and never calls the export. Zero-filled without any code
    // running, and kept for as long as the module stays loaded.
    static ResultRecord CallerRecord;
    // Called by another program, start-up has not run.
    if (!DefaultDialogFont.face) SetDefaultDialogFont();
    // Nothing may unwind into the caller: out of memory ends as a close
    // through the system would.
    try {
        return BRANTLE(owner, TextOfStringHandle(initialNumber), CallerRecord);
    } catch (...) {
        return MainDialogResult(SYSTEM_CLOSE_END.value);
    }
}
