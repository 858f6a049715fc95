#include "program_main_win.h"

#include "dialog_font.h"
#include "dialogs_win.h"
#include "startup_sequence.h"

namespace {

struct WindowsDialogs : StartupDialogs {
    DialogEnding ShowAbout(uint32_t owner, int32_t mode, int32_t optionSet) override {
        DialogEnding how = DialogEnding::SystemClose;
        ShowAboutDialog(owner, mode, optionSet, &how);
        return how;
    }
    int32_t RunMainDialog(uint32_t owner, const std::string& initialNumber, ResultRecord& record) override {
        return BRANTLE(owner, initialNumber, record);
    }
    void SendResult(uint32_t owner, const ResultRecord& record) override { SendResultRecord(owner, record); }
};

}  // namespace

void SendResultRecord(uint32_t owner, const ResultRecord& record) {
    // COPYDATASTRUCT points at writable bytes: the record goes as a copy.
    ResultRecord sent = record;
    COPYDATASTRUCT data{};
    data.dwData = COPYDATA_RESULT_RECORD;
    data.cbData = sizeof sent;
    data.lpData = &sent;
    // What the receiver answers is not used.
    SendMessageA(reinterpret_cast<HWND>(static_cast<uintptr_t>(owner)), WM_COPYDATA, 0,
                 reinterpret_cast<LPARAM>(&data));
}

int32_t ProgramMain(HINSTANCE instance, HINSTANCE, std::u16string_view argumentText, int) {
    KeepProgramInstance(instance);
    // What nothing else caught (out of memory, in practice) ends the program
    // as the close box does, with no record sent: the caller learns that it
    // got no answer.
    try {
        SetDefaultDialogFont();
        WindowsDialogs dialogs;
        return RunStartup(dialogs, NarrowAnsi(argumentText));
    } catch (...) {
        return MainDialogResult(SYSTEM_CLOSE_END.value);
    }
}
