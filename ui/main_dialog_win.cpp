// The main dialog: built from its layout with the caller's initial number
// and run modally.
#include "dialogs_win.h"

#include "dialog_template.h"

int32_t BRANTLE(uintptr_t owner, const std::string& initialNumber) {
    const DialogLayout layout = MainDialogLayout(initialNumber);
    const std::vector<uint16_t> dialogTemplate = BuildDialogTemplate(layout, DefaultDialogFont, WidenAnsi);
    HWND dialog = CreateHiddenDialog(dialogTemplate, owner);
    // A dialog that cannot be made ends as a close through the system would.
    // Its controls sit at the same dialog units at every dpi.
    const DialogEnd end = RunModalDialog(dialog, owner, [&layout](DialogUnits, uint32_t) { return layout; });
    return MainDialogResult(end.value);
}
