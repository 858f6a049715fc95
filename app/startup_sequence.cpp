#include "startup_sequence.h"

#include "command_line.h"
#include "dialog_ids.h"

int32_t RunStartup(StartupDialogs& dialogs, std::string_view argumentText) {
    const StartupSwitches switches = ReadSwitches(argumentText);
    // The calling program's window: owner of every dialog, receiver of the record.
    const uint32_t ownerWindow = switches.hasOwner ? switches.owner : 0;
    // Zero-filled, with the option set that "/Q" gives (0 without it).
    ResultRecord record{};
    if (switches.hasOptionSet) record.options = switches.optionSet;

    if (!switches.noAbout &&
        dialogs.ShowAbout(ownerWindow, ABOUT_START, record.options) == DialogEnding::UpdateLaunched)
        return 0;

    for (;;) {
        const int32_t result = dialogs.RunMainDialog(ownerWindow, InitialNumber(argumentText), record);
        if (ownerWindow != 0 && !IsBroadcastOwner(ownerWindow)) dialogs.SendResult(ownerWindow, record);
        // A negative result is Esc, the close box, or a negative option set,
        // which is taken the same way: no closing About dialog.
        if (switches.noAbout || result < 0) return result;
        if (dialogs.ShowAbout(ownerWindow, ABOUT_END, record.options) != DialogEnding::Cancel) return result;
    }
}
