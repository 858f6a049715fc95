// The order of the dialogs, the result messages and the exit codes, as a
// calling application and a user at the keyboard meet them.
#include "scenario_support.h"

#include <cstdlib>

#include "library_caller.h"

// Run by hand: About, main dialog, About again; no owner, so no messages.
E2E_SCENARIO(no_arguments) {
    ChildProcess child;
    if (!StartBrantle(child, "")) return;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the About dialog comes first");
    if (!about) return;
    CheckText(ControlText(about, IDOK), "OK", "the first About dialog has OK");
    Check(!Item(about, IDCANCEL), "the first About dialog has no Run again");
    Click(about, IDOK);

    HWND main = ExpectDialog(child, about, DialogKind::Main, "OK opens the main dialog");
    if (!main) return;
    Settle(main);
    CheckText(EditText(main, IDC_DIAGRAM_NUMBER), "", "the text box starts empty");
    CheckTickedOptions(main, {1}, "with option set 0, normal post(s) is shown ticked");
    CheckLines(main, "", "", "", "an empty number");
    TypeKeys(main, IDC_DIAGRAM_NUMBER, "501");
    Click(main, IDC_LAMP_COLUMN);
    Settle(main);
    CheckLines(main, kHeading, "internal or external lighting", "", "501 near a lamp column");
    Click(main, IDOK);

    HWND end = ExpectDialog(child, main, DialogKind::About, "Close opens the About dialog again");
    if (!end) return;
    CheckText(ControlText(end, IDCANCEL), "Run again", "the last About dialog has Run again");
    CheckText(ControlText(end, IDOK), "Close", "the last About dialog has Close");
    Click(end, IDOK);
    ExpectExit(child, end, 1, "the exit code is the option set (lamp column)");
    CheckRecordCount(0, "no result message without an owner");
}

// A caller's full command line: number, options, owner, no About dialogs.
E2E_SCENARIO(caller_with_switches) {
    ChildProcess child;
    if (!StartBrantle(child, "601.1 /Q 5 /H " + OwnerArgument() + " /S")) return;
    HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "with /S the main dialog comes first");
    if (!main) return;
    Settle(main);
    CheckText(EditText(main, IDC_DIAGRAM_NUMBER), "601.1", "the text box holds the number");
    CheckTickedOptions(main, {0, 2}, "/Q 5 ticks the lamp column and the self-righting bollard");
    CheckEnabledOptions(main, {0, 1, 2, 3, 4, 9}, "row 6xx disables the signal head and the repeater");
    CheckCondition(main, "", false, "row 6xx");
    CheckLines(main, kHeading, "reflectorised", kNoteJudgement, "a self-righting bollard near a lamp column");
    Click(main, IDOK);
    ExpectExit(child, main, 5, "no About dialog after Close with /S; the exit code is 5");
    CheckRecordCount(1, "one result message");
    CheckRecord(0, ExpectedRecord().Diagram("601.1").Options(5).Result("reflectorised"),
                "the result message holds 601.1, 5 and reflectorised");
}

// Only the text before the first "/" is the number.
E2E_SCENARIO(number_after_a_switch_is_ignored) {
    ChildProcess child;
    if (!StartBrantle(child, "/S 601.1")) return;
    HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "the main dialog comes first");
    if (!main) return;
    Settle(main);
    CheckText(EditText(main, IDC_DIAGRAM_NUMBER), "", "the text box is empty");
    CheckLines(main, "", "", "", "no number");
    PressKey(main, VK_RETURN);
    ExpectExit(child, main, 0, "Enter closes like Close; exit code 0");
}

// Esc in the main dialog: the message is still sent, no About dialog follows.
E2E_SCENARIO(escape_in_main_dialog) {
    ChildProcess child;
    if (!StartBrantle(child, "501 /Q 1 /H " + OwnerArgument())) return;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the About dialog comes first");
    if (!about) return;
    PressKey(about, VK_RETURN);
    HWND main = ExpectDialog(child, about, DialogKind::Main, "Enter in the About dialog opens the main dialog");
    if (!main) return;
    Settle(main);
    CheckLines(main, kHeading, "internal or external lighting", "", "501 near a lamp column");
    PressKey(main, VK_ESCAPE);
    ExpectExit(child, main, -2, "Esc: no About dialog; exit code -2");
    CheckRecordCount(1, "one result message");
    CheckRecord(0, ExpectedRecord().Diagram("501").Options(1).Result("internal or external lighting"),
                "the result message holds 501, 1 and the lighting word");
}

// The close box: the message is still sent, no About dialog follows.
E2E_SCENARIO(close_box_in_main_dialog) {
    ChildProcess child;
    if (!StartBrantle(child, "642 /H " + OwnerArgument())) return;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the About dialog comes first");
    if (!about) return;
    PressKey(about, VK_ESCAPE);
    HWND main = ExpectDialog(child, about, DialogKind::Main, "Esc in the first About dialog goes on too");
    if (!main) return;
    Settle(main);
    CheckLines(main, kHeading, "reflectorised", kNoteJudgement, "642");
    CloseBySystem(main);
    ExpectExit(child, main, -1, "close box: no About dialog; exit code -1");
    CheckRecordCount(1, "one result message");
    CheckRecord(0, ExpectedRecord().Diagram("642").Options(0).Result("reflectorised"),
                "the result message holds 642, 0 and reflectorised");
}

// "Run again" twice: three showings, three messages, options carried over.
E2E_SCENARIO(run_again_twice) {
    ChildProcess child;
    if (!StartBrantle(child, "652 /H " + OwnerArgument())) return;
    ExpectedRecord record;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the About dialog comes first");
    if (!about) return;
    Click(about, IDOK);

    HWND main = ExpectDialog(child, about, DialogKind::Main, "first showing of the main dialog");
    if (!main) return;
    Settle(main);
    record.Diagram("652").Result("reflectorised");
    Click(main, IDC_LAMP_COLUMN);
    Settle(main);
    record.Options(1).Result("reflectorised");
    Click(main, IDOK);
    HWND end = ExpectDialog(child, main, DialogKind::About, "About dialog after the first showing");
    if (!end) return;
    CheckRecordCount(1, "one message after the first showing");
    CheckRecord(0, record, "first message: 652, lamp column, reflectorised");
    Click(end, IDCANCEL);

    main = ExpectDialog(child, end, DialogKind::Main, "Run again shows the main dialog again");
    if (!main) return;
    Settle(main);
    CheckText(EditText(main, IDC_DIAGRAM_NUMBER), "652", "the number starts again from the command line");
    CheckTickedOptions(main, {0}, "the lamp column stays ticked, normal post(s) is not ticked");
    record.Result("reflectorised");
    Click(main, IDC_CONDITION);
    Settle(main);
    CheckLines(main, kHeading, "internal or external lighting", "", "652 with the junction ticked");
    record.Options(1 | 1 << 11).Result("internal or external lighting");
    Click(main, IDOK);
    end = ExpectDialog(child, main, DialogKind::About, "About dialog after the second showing");
    if (!end) return;
    CheckRecordCount(2, "two messages after the second showing");
    CheckRecord(1, record, "second message: lamp column and junction, lighting");
    PressKey(end, VK_ESCAPE);

    main = ExpectDialog(child, end, DialogKind::Main, "Esc in the About dialog runs again");
    if (!main) return;
    Settle(main);
    CheckCondition(main, "Within 50m of junction from which traffic joins", true, "the extra tick box keeps its tick");
    CheckLines(main, kHeading, "internal or external lighting", "", "restored options");
    record.Result("internal or external lighting");
    Click(main, IDC_20MPH);
    Settle(main);
    CheckLines(main, kHeading, "reflectorised", kNoteJudgement, "the 20 mph limit");
    record.Options(1 | 1 << 9 | 1 << 11).Result("reflectorised");
    Click(main, IDOK);
    end = ExpectDialog(child, main, DialogKind::About, "About dialog after the third showing");
    if (!end) return;
    Click(end, IDOK);
    ExpectExit(child, end, 1 | 1 << 9 | 1 << 11, "the exit code is the last showing's option set");
    CheckRecordCount(3, "three messages in all");
    CheckRecord(2, record, "third message, with the longer word's leftovers behind its terminator");
}

// A negative option set at Close is not a close with OK.
E2E_SCENARIO(negative_option_set) {
    ChildProcess child;
    if (!StartBrantle(child, "/Q -8 /H " + OwnerArgument())) return;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the About dialog comes first");
    if (!about) return;
    Click(about, IDOK);
    HWND main = ExpectDialog(child, about, DialogKind::Main, "then the main dialog");
    if (!main) return;
    Settle(main);
    Click(main, IDOK);
    ExpectExit(child, main, -8, "no About dialog after Close; exit code -8");
    CheckRecordCount(1, "one result message");
    CheckRecord(0, ExpectedRecord().Options(-8), "the result message holds the option set -8 and no words");
}

// All bits set, then a row that clears some of them.
E2E_SCENARIO(all_options_then_a_rule) {
    ChildProcess child;
    if (!StartBrantle(child, "501 /Q -1 /H " + OwnerArgument() + " /S")) return;
    HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "the main dialog");
    if (!main) return;
    Settle(main);
    Check(IsTicked(main, IDC_LAMP_COLUMN) && IsTicked(main, IDC_20MPH), "lamp column and 20 mph ticked");
    Check(!IsTicked(main, IDC_REPEATER) && !IsEnabled(main, IDC_REPEATER), "the repeater is cleared and disabled");
    CheckCondition(main, "", false, "row 501");
    CheckLines(main, kHeading, "reflectorised", kNoteJudgement, "501 in a 20 mph limit");
    Click(main, IDOK);
    // -1 less the bits of the options that row 501 rules out (2, 3, 5, 10)
    // and of the extra tick box (11), which the row does not show.
    const int32_t options = static_cast<int32_t>(~0xC2Cu);
    ExpectExit(child, main, options, "no About dialog; the exit code is the negative option set");
    CheckRecord(0, ExpectedRecord().Diagram("501").Options(options).Result("reflectorised"),
                "the result message holds 501, the option set and reflectorised");
}

// With /Q -3, OK in the first About dialog (1 + -3 = -2) still goes on.
E2E_SCENARIO(about_ok_with_option_set_minus_3) {
    ChildProcess child;
    if (!StartBrantle(child, "/Q -3 /H " + OwnerArgument())) return;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the About dialog comes first");
    if (!about) return;
    Click(about, IDOK);
    HWND main = ExpectDialog(child, about, DialogKind::Main, "OK opens the main dialog, not an early end");
    if (!main) return;
    Click(main, IDOK);
    ExpectExit(child, main, -3, "exit code -3");
    CheckRecord(0, ExpectedRecord().Options(-3), "the result message holds -3");
}

// Buttons clicked with a sent BM_CLICK, as automation tools and calling
// applications click them: the dialog must end at once, as with a mouse
// click, although no posted message follows to wake its message loop.
E2E_SCENARIO(buttons_clicked_by_sent_message) {
    ChildProcess child;
    if (!StartBrantle(child, "501 /H " + OwnerArgument())) return;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the About dialog comes first");
    if (!about) return;
    SendClick(about, IDOK);
    HWND main = ExpectDialog(child, about, DialogKind::Main, "a sent click on OK opens the main dialog");
    if (!main) return;
    Check(SendClick(main, IDC_LAMP_COLUMN) && IsTicked(main, IDC_LAMP_COLUMN), "a sent click ticks the lamp column");
    SendClick(main, IDOK);
    HWND end = ExpectDialog(child, main, DialogKind::About, "a sent click on Close opens the last About dialog");
    if (!end) return;
    CheckRecordCount(1, "one result message");
    SendClick(end, IDOK);
    ExpectExit(child, end, 1, "a sent click on Close ends the program; exit code 1");
}

// Owner values that the window system takes as every top-level window
// (HWND_BROADCAST and HWND_TOPMOST): no record goes out, so none reaches the
// harness's own top-level window, which a broadcast would.
E2E_SCENARIO(no_record_for_a_broadcast_owner) {
    if (!Check(OwnerWindow() != nullptr, "the harness has a top-level window for a broadcast to reach")) return;
    for (const std::string owner : {"65535", "-1", "&HFFFFFFFF"}) {
        ChildProcess child;
        if (!StartBrantle(child, "501 /S /H " + owner)) return;
        HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "/H " + owner + ": the main dialog");
        if (!main) return;
        Click(main, IDOK);
        ExpectExit(child, main, 0, "/H " + owner + ": exit code 0");
        CheckRecordCount(0, "/H " + owner + ": no result message reaches any window");
    }
}

// WM_CLOSE, as a calling program or a task manager sends it, ends a dialog
// as its close box does, where the default dialog handling would make it
// IDCANCEL: the main dialog ends with -1, not Esc's -2, and the last About
// dialog ends the program rather than running the main dialog again.
E2E_SCENARIO(wm_close_ends_a_dialog_as_the_close_box_does) {
    ChildProcess child;
    if (!StartBrantle(child, "501 /Q 1 /H " + OwnerArgument())) return;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the first About dialog");
    if (!about) return;
    PostMessageW(about, WM_CLOSE, 0, 0);
    HWND main = ExpectDialog(child, about, DialogKind::Main, "WM_CLOSE in the first About dialog goes on");
    if (!main) return;
    Settle(main);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ExpectExit(child, main, -1, "WM_CLOSE in the main dialog: no About dialog; exit code -1");
    CheckRecord(0, ExpectedRecord().Diagram("501").Options(1).Result("internal or external lighting"),
                "the result message is still sent");

    if (!StartBrantle(child, "501 /Q 1")) return;
    about = ExpectDialog(child, nullptr, DialogKind::About, "the first About dialog again");
    if (!about) return;
    Click(about, IDOK);
    main = ExpectDialog(child, about, DialogKind::Main, "the main dialog again");
    if (!main) return;
    Click(main, IDOK);
    HWND end = ExpectDialog(child, main, DialogKind::About, "the last About dialog");
    if (!end) return;
    PostMessageW(end, WM_CLOSE, 0, 0);
    ExpectExit(child, end, 1, "WM_CLOSE in the last About dialog ends the program with the option set");
}

namespace {

// The fonts of the dialog on show, read inside the program: the dialog and
// every control in Tahoma 8, weight 400, not italic, character set 0, but
// for the title or result word (IDC_RESULT, the system font) and the links
// (underlined). `plainControls` is how many controls that leaves, not
// counting the pictures, which show no text: a picture label may have no
// font at all (Wine's has none), but any font it has must be the same.
void CheckDialogFonts(ChildProcess& child, const std::string& what, int plainControls) {
    const std::vector<ReportedFont> fonts = ReportFonts(child);
    if (!Check(!fonts.empty() && fonts[0].window == "dialog", what + ": the program reports its fonts")) return;
    ReportedFont want;
    want.face = "Tahoma";
    HDC screen = GetDC(nullptr);
    want.height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    want.weight = 400;
    const std::string exact = "Tahoma 8, weight 400, not italic, character set 0";
    const std::string dialogDifference = FontDifference(fonts[0], want);
    Check(dialogDifference.empty(), what + ": the dialog's font is " + exact, dialogDifference);
    int plain = 0;
    std::string wrong;
    for (size_t i = 1; i < fonts.size(); ++i) {
        const ReportedFont& font = fonts[i];
        const int id = std::atoi(font.window.c_str());
        if (id == IDC_RESULT) {
            Check(font.system, what + ": the title or result word has the system font", font.face);
        } else if (id >= IDC_LINK_WEB && id <= IDC_LINK_MORE) {
            Check(font.underline != 0, what + ": link " + font.window + " is underlined", font.face);
        } else {
            const bool picture = id == IDC_PRODUCT_ART || id == IDC_BULB_ART || id == IDC_LOGO_ART;
            if (picture && font.face == "none") continue;
            if (!picture) ++plain;
            const std::string difference = FontDifference(font, want);
            if (!difference.empty()) wrong += " control " + font.window + ":" + difference + ";";
        }
    }
    CheckInt(plain, plainControls, what + ": controls with the dialog font");
    Check(wrong.empty(), what + ": each of them has " + exact, wrong);
}

}  // namespace

E2E_SCENARIO(every_dialog_and_control_has_the_dialog_font) {
    ChildProcess child;
    if (!StartBrantle(child, "652")) return;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the first About dialog");
    if (!about) return;
    CheckDialogFonts(child, "start mode", 6);
    Click(about, IDOK);
    HWND main = ExpectDialog(child, about, DialogKind::Main, "the main dialog");
    if (!main) return;
    Settle(main);
    CheckDialogFonts(child, "main dialog", 16);
    Click(main, IDOK);
    HWND end = ExpectDialog(child, main, DialogKind::About, "the last About dialog");
    if (!end) return;
    CheckDialogFonts(child, "end mode", 8);
    Click(end, IDOK);
    ExpectExit(child, end, 0, "Close ends the program");
}

// Numbers beyond 2^53 in every form, as a calling program may pass them
// with /Q: each gives the option set of the table that every build, and
// brantle-rules, reads them as (low 32 bits, rounded to double at each
// step). The record shows it, untouched with no diagram number.
E2E_SCENARIO(large_option_sets_read_as_in_every_build) {
    const std::string table = ReadFileBytes(Config.numbers);
    if (!Check(!table.empty(), "the table of large numbers can be read", Narrow(Config.numbers))) return;
    size_t read = 0;
    for (size_t start = 0, end; start < table.size(); start = end + 1) {
        end = table.find('\n', start);
        if (end == std::string::npos) end = table.size();
        const std::string line = table.substr(start, end - start);
        const size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
        const std::string text = line.substr(0, tab);
        const int32_t want = static_cast<int32_t>(std::strtoll(line.c_str() + tab + 1, nullptr, 10));
        ++read;
        ChildProcess child;
        if (!StartBrantle(child, "/Q " + text + " /H " + OwnerArgument() + " /S")) return;
        HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "/Q " + text + ": the main dialog");
        if (!main) return;
        PressKey(main, VK_ESCAPE);
        ExpectExit(child, main, -2, "/Q " + text + ": Esc ends it");
        CheckRecordCount(1, "/Q " + text + ": one result message");
        CheckRecord(0, ExpectedRecord().Options(want), "/Q " + text + ": the option set " + std::to_string(want));
    }
    Check(read >= 10, "the table holds its numbers", std::to_string(read) + " read");
}

namespace {

// Starts the library caller beside the harness: it loads brantle.exe and
// calls BRANTLE with `arguments` (the initial number, and its options).
bool StartLibraryCaller(ChildProcess& caller, const std::string& arguments) {
    ReceivedRecords().clear();
    wchar_t self[MAX_PATH] = {};
    const std::wstring folder = FolderOf(std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH)));
    return Check(caller.Start(folder + L"brantle_library_caller.exe",
                              "\"" + Narrow(Config.brantleExe) + "\" " + OwnerArgument() + " " + arguments),
                 "the library caller starts with " + arguments);
}

// Whether the caller has reported more than `read` lines.
bool CallerReported(size_t read) {
    size_t lines = 0;
    for (const ReceivedCopyData& record : ReceivedRecords()) lines += record.dwData == kLibraryCallerReport;
    return lines > read;
}

// The caller's next line after the `read` taken so far; "" when none came.
std::string NextCallerReport(size_t& read) {
    WaitUntil([&] { return CallerReported(read); }, kStepTimeout);
    size_t line = 0;
    for (const ReceivedCopyData& record : ReceivedRecords()) {
        if (record.dwData != kLibraryCallerReport || line++ != read) continue;
        ++read;
        return std::string(record.bytes.begin(), record.bytes.end());
    }
    return "";
}

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

}  // namespace

// A program that loads brantle.exe as a library and calls BRANTLE: each
// showing is owned by the caller's window and returns what the command
// line's showing would, the next one starts with the ticks that the last
// left, and the caller unloads brantle.exe, loads it again and ends
// cleanly, with nothing of brantle.exe left to run at its exit.
E2E_SCENARIO(export_called_by_a_program_that_loads_brantle) {
    ChildProcess caller;
    if (!StartLibraryCaller(caller, "652")) return;
    size_t read = 0;
    std::string line = NextCallerReport(read);
    Check(StartsWith(line, "loaded "), "LoadLibraryW loads brantle.exe", line);

    HWND main = ExpectDialog(caller, nullptr, DialogKind::Main, "BRANTLE by name shows the main dialog");
    if (!main) return;
    HWND owner = GetWindow(main, GW_OWNER);
    DWORD ownerProcess = 0;
    GetWindowThreadProcessId(owner, &ownerProcess);
    Check(owner && ownerProcess == caller.Pid() && !IsWindowEnabled(owner),
          "the caller's window owns the dialog and is disabled while it shows");
    Settle(main);
    CheckText(EditText(main, IDC_DIAGRAM_NUMBER), "652", "the text box holds the text of the string handle");
    CheckTickedOptions(main, {1}, "a first showing: normal post(s) is shown ticked");
    Click(main, IDC_LAMP_COLUMN);
    Settle(main);
    CheckLines(main, kHeading, "reflectorised", kNoteJudgement, "652 near a lamp column");
    Click(main, IDOK);
    CheckText(NextCallerReport(read), "BRANTLE by name returned 1, owner enabled", "Close returns the option set");

    main = ExpectDialog(caller, main, DialogKind::Main, "BRANTLE by ordinal 1 shows the main dialog again");
    if (!main) return;
    Settle(main);
    CheckText(EditText(main, IDC_DIAGRAM_NUMBER), "652", "the number starts again from the caller's");
    CheckTickedOptions(main, {0}, "the second showing starts with the ticks that the first left");
    SetEditText(main, IDC_DIAGRAM_NUMBER, "");
    TypeKeys(main, IDC_DIAGRAM_NUMBER, "501");
    Settle(main);
    CheckLines(main, kHeading, "internal or external lighting", "", "501 typed, near a lamp column");
    PressKey(main, VK_ESCAPE);
    CheckText(NextCallerReport(read), "BRANTLE by ordinal returned -2, owner enabled", "Esc returns -2");

    main = ExpectDialog(caller, main, DialogKind::Main, "BRANTLE by name shows it a third time");
    if (!main) return;
    Settle(main);
    CheckTickedOptions(main, {0}, "the ticks carry over an Esc too");
    CloseBySystem(main);
    CheckText(NextCallerReport(read), "BRANTLE by name returned -1, owner enabled", "the close box returns -1");
    CheckText(NextCallerReport(read), "freed, unloaded", "FreeLibrary unloads brantle.exe");

    // Loaded anew: nothing is kept from the first load.
    line = NextCallerReport(read);
    Check(StartsWith(line, "loaded "), "LoadLibraryW loads brantle.exe again", line);
    main = ExpectDialog(caller, main, DialogKind::Main, "BRANTLE by ordinal shows the main dialog after the reload");
    if (!main) return;
    Settle(main);
    CheckTickedOptions(main, {1}, "the first showing of the new load starts afresh");
    PressKey(main, VK_RETURN);
    CheckText(NextCallerReport(read), "BRANTLE by ordinal returned 0, owner enabled", "Enter closes like Close");
    CheckText(NextCallerReport(read), "freed, unloaded", "FreeLibrary unloads it again");
    ExpectExit(caller, main, 0, "the caller ends cleanly after brantle.exe has gone");
}

// With the address that brantle.exe prefers taken, the module is placed
// elsewhere. Windows relocates it there (ASLR), and the dialog shows; a
// loader that leaves it unrelocated, as Wine's does, leaves its absolute
// addresses wrong, and BRANTLE returns -1 at once, running nothing else.
// Either way the caller gets -1 for the close box and ends cleanly.
E2E_SCENARIO(export_called_where_brantle_is_moved) {
    ChildProcess caller;
    if (!StartLibraryCaller(caller, "652 --preferred-base-taken")) return;
    size_t read = 0;
    CheckText(NextCallerReport(read), "loaded away from its preferred base",
              "with its preferred base taken, brantle.exe is loaded elsewhere");
    HWND shown = nullptr;
    WaitUntil(
        [&] {
            if (!shown) {
                const std::vector<HWND> dialogs = FindDialogs(caller.Pid(), kDialogCaption);
                if (!dialogs.empty()) CloseBySystem(shown = dialogs.front());
            }
            return CallerReported(read) || !caller.Running();
        },
        kStartTimeout);
    CheckText(NextCallerReport(read), "BRANTLE by name returned -1, owner enabled",
              shown ? "relocated: the dialog shows, and its close box returns -1"
                    : "not relocated: BRANTLE returns -1 and shows nothing");
    CheckText(NextCallerReport(read), "freed, unloaded", "FreeLibrary unloads brantle.exe");
    ExpectExit(caller, shown, 0, "the caller ends cleanly");
}
