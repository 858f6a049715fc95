#include "startup_sequence.h"

#include "command_line.h"
#include "dialog_ids.h"
#include "result_record.h"

int32_t RunStartup(StartupDialogs& dialogs, std::string_view argumentText) {
    const StartupSwitches switches = ReadSwitches(argumentText);
    const uint32_t owner = switches.hasOwner ? switches.owner : 0;
    if (switches.hasOptionSet) OptionSet = switches.optionSet;

    if (!switches.noAbout && dialogs.ShowAbout(owner, ABOUT_START) == DialogEnding::UpdateLaunched) return 0;

    for (;;) {
        const int32_t result = dialogs.RunMainDialog(owner, InitialNumber(argumentText));
        if (owner != 0 && owner != BROADCAST_WINDOW) dialogs.SendResult(owner);
        // A negative result is Esc, the close box, or a negative option set,
        // which is taken the same way: no closing About dialog.
        if (switches.noAbout || result < 0) return result;
        if (dialogs.ShowAbout(owner, ABOUT_END) != DialogEnding::Cancel) return result;
    }
}
