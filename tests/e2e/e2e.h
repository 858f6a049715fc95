// The end-to-end harness: plays the application that calls brantle.exe.
// It starts the program, finds its dialogs, reads and drives their
// controls, receives the result records and checks the exit codes.
//
// A scenario is a function registered with E2E_SCENARIO in any source file
// of the harness; each prints one line per check.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ---------------------------------------------------------------- checks

// Reports one check: prints "ok" or "FAIL" with the scenario's name (and
// `detail` after a failure), and counts it. Returns `passed`, so that a scenario can stop when a step that
// later ones need has failed.
bool Check(bool passed, const std::string& what, const std::string& detail = "");
bool CheckText(const std::string& got, const std::string& want, const std::string& what);
bool CheckInt(long long got, long long want, const std::string& what);

// Reports that the running scenario cannot run here because this run lacks
// something it needs (`why`): prints "skip" with the scenario's name and
// counts it, neither as passed nor as failed.
void Skip(const std::string& why);
// A line in the log that is neither a check nor a skip.
void Note(const std::string& what);

// Text in double quotes, with bytes outside printable ASCII escaped.
std::string Quoted(const std::string& text);

// ---------------------------------------------------------------- scenarios

struct ScenarioRegistration {
    ScenarioRegistration(const char* name, void (*run)());
};

#define E2E_SCENARIO(name)                                        \
    static void name();                                           \
    static ScenarioRegistration name##_registration(#name, name); \
    static void name()

// What the command line of the harness gave.
struct E2eConfig {
    std::wstring brantleExe;    // the program under test
    std::wstring shotsDir;      // where screenshots go (empty: none are taken)
    std::wstring browserLog;    // the log that the browser stand-in appends to
    std::wstring ruleTable;     // the rule table source file, to compare bytes
    std::wstring referenceDir;  // reference pictures of the dialogs at 96 dpi, as BMP files
    std::wstring numbers;       // numbers and the option sets they read as (TEXT<TAB>SET lines)
    // The same program built with a test key that update lists are signed with.
    std::wstring signedBrantleExe;
};
extern E2eConfig Config;

// ---------------------------------------------------------------- waiting

// Bounds of the polling waits, in milliseconds. They catch a program that
// never does what is awaited; a busy machine must never reach them, so they
// are far above the fraction of a second that each wait normally takes.
constexpr DWORD kStartTimeout = 60000;  // a program's first dialog
constexpr DWORD kStepTimeout = 30000;   // anything after a step

// Handles the harness's own window messages (the result records arrive
// through them) until `done` holds or `timeoutMs` passes; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

// ---------------------------------------------------------------- processes

// A started program. It is ended with TerminateProcess on destruction if it
// still runs, so no scenario leaves a process behind.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    // Starts `exe` with the command line "<exe in quotes> <arguments>", or
    // the quoted name alone when `arguments` is empty.
    bool Start(const std::wstring& exe, const std::string& arguments);
    DWORD Pid() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    bool Running() const;
    // Waits for the end while handling messages; false on timeout.
    bool WaitForExit(DWORD timeoutMs);
    // The full 32-bit exit code; meaningful once the process has ended.
    int32_t ExitCode() const;
    void Terminate();

private:
    PROCESS_INFORMATION info_{};
};

// Runs LoadLibraryW(`library`) on a new thread of `process` and waits for
// it to return; false when the thread could not be started. kernel32, and
// LoadLibraryW in it, lies at the same address in every process of a word
// size.
bool LoadLibraryInto(HANDLE process, const std::wstring& library);

// The names of the modules loaded in process `pid`, in lower case.
std::vector<std::string> LoadedModules(DWORD pid);

// The folder of a file's path, with its final backslash.
std::wstring FolderOf(const std::wstring& path);

// ---------------------------------------------------------------- windows

// The caption of both of the program's dialogs.
extern const char* const kDialogCaption;

// Control ids of the program's dialogs.
enum : int {
    IDC_RESULT = 34953,
    IDC_RESULT_HEADER = 34954,
    IDC_RESULT_NOTE = 34955,
    IDC_LAMP_COLUMN = 34976,
    IDC_NORMAL_POSTS = 34977,
    IDC_SELF_RIGHTING_BOLLARD = 34978,
    IDC_BOLLARD = 34979,
    IDC_GANTRY = 34980,
    IDC_SIGNAL_HEAD = 34981,
    IDC_20MPH = 34985,
    IDC_REPEATER = 34986,
    IDC_CONDITION = 34987,
    IDC_NONE = 34995,
    IDC_DIAGRAM_NUMBER = 35023,
    IDC_BULB_ART = 34970,
    IDC_LOGO_ART = 34971,
    IDC_PRODUCT_ART = 34972,
    IDC_CHECK_UPDATES = 34877,
    IDC_LINK_WEB = 35084,
    IDC_LINK_MAIL = 35085,
    IDC_LINK_MORE = 35086,
};

enum class DialogKind { None, Main, About, Other };

// The kind of a dialog of the program, told apart by its controls.
DialogKind KindOf(HWND dialog);
const char* KindName(DialogKind kind);

// The visible top-level "#32770" windows of process `pid` captioned
// `caption`.
std::vector<HWND> FindDialogs(DWORD pid, const std::string& caption);

// Waits until `child` shows a visible dialog with the program's caption
// other than `previous` (which must be gone first), or ends. Returns the
// dialog, or nullptr when the process ended or the time ran out.
HWND WaitForNextDialog(ChildProcess& child, HWND previous, DWORD timeoutMs);

// Waits for the next dialog and checks that it is of `kind`.
HWND ExpectDialog(ChildProcess& child, HWND previous, DialogKind kind, const std::string& what);

// Waits for the process to end without showing another dialog after
// `previous`, then checks its exit code.
void ExpectExit(ChildProcess& child, HWND previous, int32_t code, const std::string& what);

HWND Item(HWND dialog, int id);
std::string EditText(HWND dialog, int id);     // WM_GETTEXT
std::string Caption(HWND window);              // GetWindowText
std::string ControlText(HWND dialog, int id);  // GetWindowText of a label or button
bool IsTicked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
bool IsShown(HWND dialog, int id);

// Every child window of a dialog: id, class name and text, in z-order.
struct ChildInfo {
    HWND window;
    int id;
    std::string className;
    std::string text;
    LONG style;
};
std::vector<ChildInfo> Children(HWND dialog);

// Puts `text` into a text box with WM_SETTEXT.
void SetEditText(HWND dialog, int id, const std::string& text);
// Types `keys` key by key at the end of a text box's text (posted WM_CHAR).
void TypeKeys(HWND dialog, int id, const std::string& keys);
// Clicks a button, check box or option button: brings the dialog to the
// front, posts BM_CLICK as a click arrives from the mouse, and waits until
// the program has handled it (or the dialog has gone).
void Click(HWND dialog, int id);
// Posts the click and goes on at once, for a button whose command runs on
// (an update check with its message boxes) while the harness watches.
void ClickLater(HWND dialog, int id);
// Sends BM_CLICK and waits for the button to handle it, as automation
// tools click; false if it was not handled within the time limit.
bool SendClick(HWND dialog, int id);
// Clicks a label with the left mouse button.
void ClickLabel(HWND dialog, int id);
// Presses a key in the dialog (VK_RETURN, VK_ESCAPE).
void PressKey(HWND dialog, WPARAM key);
// Closes the dialog through the system, as its close box does.
void CloseBySystem(HWND dialog);

// Waits until the program has handled every message posted to its main
// dialog so far (typed keys, its own queued change notifications): posts a
// marker through the text box's queue and waits for it. False on timeout.
bool Settle(HWND dialog);

// ---------------------------------------------------------------- fonts

// A window of the program's dialog as the program itself sees it
// (font_reporter.cpp): its font, what its text measures in that font, its
// place and its picture.
struct ReportedFont {
    std::string window;  // "dialog", or the control's id in decimal
    std::string face;    // "none" when the window has no font
    long height = 0, weight = 0;
    int italic = 0, underline = 0, charset = 0;
    bool system = false;                                 // the stock system font
    long cellHeight = 0, descent = 0, averageWidth = 0;  // the font's metrics
    long linesWidth = 0, linesHeight = 0;                // the text on its own lines
    long wrappedWidth = 0, wrappedHeight = 0;            // the text broken at the window's width
    RECT rect{};  // the dialog's on the screen; a control's in the dialog's client area
    long clientWidth = 0, clientHeight = 0;
    long bitmapWidth = 0, bitmapHeight = 0;  // the picture of a picture label
    long style = 0;
    unsigned dpi = 0;
    std::string className;
    bool trueType = false;  // the font is a TrueType font
    std::string madeFace;   // the face that the font mapper gave it
};

// The whole report: the windows (the dialog first, then its controls), the
// icons' widths, and what a move to another dpi did.
struct WindowReport {
    std::vector<ReportedFont> windows;
    long smallIcon = 0, bigIcon = 0;
    bool moved = false;
    unsigned movedFrom = 0, movedTo = 0;
    RECT suggested{};
    long objectsBefore = 0, objectsGone = 0;
    bool answeredSize = false;  // the program answered WM_GETDPISCALEDSIZE
    SIZE answered{};            // with this window size
    const ReportedFont* Find(int id) const;
};

// Loads the font reporter into `child` and returns its report of the
// child's visible dialog; with `moveToDpi`, the reporter first moves the
// dialog to a screen of that dpi from one of `fromDpi` (0: the dialog
// window's own dpi). Empty when no report came.
WindowReport ReportWindows(ChildProcess& child, unsigned moveToDpi = 0, unsigned fromDpi = 0);
std::vector<ReportedFont> ReportFonts(ChildProcess& child);

// What differs between two fonts (face, height, weight, italic, underline,
// character set); "" when nothing does.
std::string FontDifference(const ReportedFont& got, const ReportedFont& want);

// ---------------------------------------------------------------- message boxes

// Waits for a message box of process `pid` with the caption given.
HWND WaitForMessageBox(DWORD pid, const std::string& caption, DWORD timeoutMs);
std::string MessageBoxText(HWND box);
// Clicks the button IDOK, IDYES, IDNO, ... of a message box.
void AnswerMessageBox(HWND box, int buttonId);

// ---------------------------------------------------------------- owner window

// The harness's own window, passed to the program with /H; it collects
// every WM_COPYDATA that arrives.
struct ReceivedCopyData {
    ULONG_PTR dwData;
    std::vector<uint8_t> bytes;
};
HWND OwnerWindow();
std::string OwnerArgument();  // the window handle in decimal
std::vector<ReceivedCopyData>& ReceivedRecords();
// The answer that the font reporter gets when it asks (font_report.h:
// kReporterAsks): the dpi to move the dialog to and from, 0 for no move.
void SetDpiForTheReporter(unsigned answer);

// ---------------------------------------------------------------- the browser stand-in

// Lines that the browser stand-in has logged so far.
std::vector<std::string> BrowserLogLines();

// ---------------------------------------------------------------- screenshots

// Saves a picture of a window as a 24-bit BMP file `name`.bmp in the
// screenshot folder, once two captures in a row agree (painting is done).
bool SaveScreenshot(HWND window, const std::string& name);

// At 96 dpi, checks that the window's client area is the reference picture
// `name`.bmp pixel for pixel; at other dpi, and without reference pictures,
// there is nothing to compare with. The frame and caption are left out:
// the window manager draws them, not the program.
bool CheckAgainstReference(HWND window, const std::string& name);

// The screen's dpi as the harness sees it.
int ScreenDpi();

// ---------------------------------------------------------------- text

std::wstring Widen(const std::string& text);   // ANSI code page -> UTF-16
std::string Narrow(const std::wstring& text);  // UTF-16 -> ANSI code page
