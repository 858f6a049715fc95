// The main dialog: built from its layout with the caller's initial number
// and run modally, one showing with its own engine state.
#include "dialogs_win.h"

#include "dialog_template.h"

int32_t BRANTLE(uintptr_t owner, const std::string& initialNumber, ResultRecord& record) {
    const DialogLayout layout = MainDialogLayout(initialNumber);
    const std::vector<uint16_t> dialogTemplate = BuildDialogTemplate(layout, DefaultDialogFont, WidenAnsi);
    EngineState engine;
    engine.resultRecord = record;
    HWND dialog = CreateHiddenDialog(dialogTemplate, owner);
    // A dialog that cannot be made ends as a close through the system would,
    // and leaves the record as it was. Its controls sit at the same dialog
    // units at every dpi.
    const DialogEnd end = RunModalDialog(
        dialog, owner, [&layout](DialogUnits, uint32_t) { return layout; }, engine);
    record = engine.resultRecord;
    return MainDialogResult(end.value);
}
