#include "startup_sequence.h"

#include "command_line.h"
#include "dialog_ids.h"
#include "result_record.h"

int32_t RunStartup(StartupDialogs& dialogs, std::string_view argumentText) {
    const StartupSwitches switches = ReadSwitches(argumentText);
    // The calling program's window: owner of every dialog, receiver of the record.
    const uint32_t ownerWindow = switches.hasOwner ? switches.owner : 0;
    if (switches.hasOptionSet) OptionSet = switches.optionSet;

    if (!switches.noAbout && dialogs.ShowAbout(ownerWindow, ABOUT_START) == DialogEnding::UpdateLaunched) return 0;

    for (;;) {
        const int32_t result = dialogs.RunMainDialog(ownerWindow, InitialNumber(argumentText));
        if (ownerWindow != 0 && !IsBroadcastOwner(ownerWindow)) dialogs.SendResult(ownerWindow);
        // A negative result is Esc, the close box, or a negative option set,
        // which is taken the same way: no closing About dialog.
        if (switches.noAbout || result < 0) return result;
        if (dialogs.ShowAbout(ownerWindow, ABOUT_END) != DialogEnding::Cancel) return result;
    }
}
