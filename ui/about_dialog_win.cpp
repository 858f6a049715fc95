// The About dialog: built from its layout for the mode, fitted to the dpi
// of its screen (its banner and picture labels sized by the dialog's own
// units there, its artwork put in for it) and run modally.
#include "dialogs_win.h"

#include "dialog_template.h"
#include "display_dpi_win.h"

int32_t ShowAboutDialog(uintptr_t owner, int32_t mode, int32_t optionSet, DialogEnding* ending) {
    const LayoutForDpi layout = [mode](DialogUnits units, uint32_t dpi) {
        return AboutDialogLayoutAt(mode, units, dpi);
    };
    // The template is laid out for the system's dpi; RunModalDialog fits the
    // dialog to the dpi of the screen it comes up on before it is shown.
    const uint32_t dpi = SystemDpi();
    const OwnedFont font = MakeTextFont(dpi);
    const DialogUnits units = font ? DialogUnitsOf(font.Get()) : DialogUnitsOf(nullptr);
    const std::vector<uint16_t> dialogTemplate = BuildDialogTemplate(layout(units, dpi), DefaultDialogFont, WidenAnsi);
    // Its "OK" ends it with 1 + the caller's option set, which is all that
    // it reads of an engine state.
    EngineState engine(TheRuleTable(), optionSet);
    const DialogEnd end = RunModalDialog(CreateHiddenDialog(dialogTemplate, owner), owner, layout, engine);
    if (ending) *ending = end.how;
    return end.value;
}
