// The update check behind the About dialog's "Check for updates" button,
// against a local stand-in for the update server (update_scenario_support.h):
// the list, each update method and each failure, in a build without a key.
// Each scenario writes the files the server is to serve, clicks the button
// and answers the message boxes.
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "harness_run.h"
#include "scenario_support.h"
#include "update_scenario_support.h"
#include "update_platform_win.h"

namespace {

// The result record's OptionSet (bytes 8 to 11, little-endian) of the last
// message received.
int32_t LastRecordOptions() {
    if (ReceivedRecords().empty() || ReceivedRecords().back().bytes.size() != 52) return INT32_MIN;
    const std::vector<uint8_t>& b = ReceivedRecords().back().bytes;
    return static_cast<int32_t>(uint32_t{b[8]} | uint32_t{b[9]} << 8 | uint32_t{b[10]} << 16 | uint32_t{b[11]} << 24);
}

// Runs brantle.exe as a calling application would, with options that
// survive "Close" (bits 0 and 9 for 501), through the main dialog to the
// last About dialog. The exit code after a launched update from there is
// the main dialog's result, OptionSet 513.
HWND ShowLastAboutDialog(ChildProcess& child) {
    if (!StartBrantle(child, "501 /Q 513 /H " + OwnerArgument())) return nullptr;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the first About dialog");
    if (!about) return nullptr;
    Click(about, IDOK);
    HWND main = ExpectDialog(child, about, DialogKind::Main, "the main dialog");
    if (!main) return nullptr;
    Click(main, IDOK);
    HWND last = ExpectDialog(child, main, DialogKind::About, "the last About dialog");
    if (!last) return nullptr;
    CheckInt(LastRecordOptions(), 513, "the main dialog's result arrived with the options");
    return last;
}

}  // namespace

E2E_SCENARIO(update_latest_version_running) {
    UpdateScenario s;
    if (!s.Begin()) return;
    const std::string list = "Pelgrath,9.0,1,pelgrath.html\nBrantle,1.10,1,brantle.html\n";
    Serve(kListPath, list);
    if (!s.Start()) return;
    if (!ExpectBox(s.child, kLatestCaption, "You're already running the latest version: 1.10.1", s.about, IDOK,
                   "list version 1.10 against 1.10.1"))
        return;
    Check(WasRequested("GET /uploaded/software/updates.txt ok"), "the list was fetched from /uploaded/software/",
          RequestLog());
    std::string local;
    Check(ReadBytes(TempFolder() + "UpdateList.txt", local) && local == list,
          "the list stays in the temporary folder as UpdateList.txt");
    Check(RequestLog().find("updates.txt.sig") == std::string::npos, "a build without a key asks for no signature",
          RequestLog());
    s.ExpectNothingOpened("nothing was opened in the browser");
    ExpectAboutStaysOpen(s.child, s.about, "after the latest-version message");
}

E2E_SCENARIO(update_newer_version_answered_no) {
    UpdateScenario s;
    if (!s.Begin()) return;
    Serve(kListPath, "Brantle,1.11,1,brantle.html\r\n");
    if (!s.Start() || !ExpectUpgradePrompt(s.child, "1.11", s.about, IDNO, "list version 1.11")) return;
    s.ExpectNothingOpened("No opens nothing");
    ExpectAboutStaysOpen(s.child, s.about, "after No");
}

E2E_SCENARIO(update_method_1_opens_the_browser_and_ends_the_program) {
    UpdateScenario s;
    if (!s.Begin()) return;
    Serve(kListPath, "Brantle,1.10.2,1,brantle.html\n");
    if (!s.Start() || !ExpectUpgradePrompt(s.child, "1.10.2", s.about, IDYES, "method 1")) return;
    CheckText(WaitForBrowserLine(s.browserLines), "http://" + Host() + "/brantle.html",
              "method 1: a bare page name opens on the update server");
    ExpectExit(s.child, s.about, 0, "method 1 from the first About dialog: the program ends with 0, no main dialog");
}

E2E_SCENARIO(update_method_2_from_the_last_about_dialog) {
    UpdateScenario s;
    if (!s.Begin()) return;
    Serve(kListPath, "Brantle,2,2,www.kestrix.example/brantle/new\n");
    HWND last = ShowLastAboutDialog(s.child);
    if (!last) return;
    int32_t result = LastRecordOptions();
    ClickLater(last, IDC_CHECK_UPDATES);
    if (!ExpectUpgradePrompt(s.child, "2", last, IDYES, "method 2")) return;
    CheckText(WaitForBrowserLine(s.browserLines), "http://www.kestrix.example/brantle/new",
              "method 2: an address with a \"/\" gets only http:// in front");
    ExpectExit(s.child, last, result,
               "method 2 from the last About dialog: the program ends with the main dialog's result");
}

E2E_SCENARIO(update_method_4_downloads_saves_and_starts) {
    const std::string name = "brantle-1.11-setup.exe";
    UpdateScenario s;
    if (!s.Begin({name})) return;
    // A temporary folder with a space in its path, as under a user name with
    // a space: the saved file must still be the program that starts.
    const std::string folder = TempFolder() + "Update Test Folder\\";
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    DeleteFileW(Widen(folder + name).c_str());
    DeleteFileW(Widen(folder + name + ".ran").c_str());
    DeleteFileW(Widen(folder + "UpdateList.txt").c_str());
    const std::string installer = MarkerExeBytes();
    if (installer.empty()) return;
    // With its SHA-256 in upper case, on a line with a CR LF end.
    std::string hash = CheckedSha256Hex(installer);
    for (char& c : hash) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    Serve("uploaded/protected/" + name, installer);
    Serve(kListPath, "Brantle,1.11,4," + name + "," + std::to_string(installer.size()) + "," + hash + "\r\n");

    wchar_t savedTmp[1024];
    DWORD savedTmpLength = GetEnvironmentVariableW(L"TMP", savedTmp, 1024);
    SetEnvironmentVariableW(L"TMP", Widen(folder).c_str());
    const bool started = s.Start();
    SetEnvironmentVariableW(L"TMP", savedTmpLength ? savedTmp : nullptr);
    if (!started || !ExpectUpgradePrompt(s.child, "1.11", s.about, IDYES, "method 4")) return;
    ExpectExit(s.child, s.about, 0, "method 4 from the first About dialog: the program ends with 0, no main dialog");
    Check(WasRequested("GET /uploaded/protected/" + name + " ok"),
          "method 4: a bare name is fetched from /uploaded/protected/", RequestLog());
    std::string saved;
    Check(ReadBytes(folder + name, saved) && saved == installer,
          "method 4: saved whole in the temporary folder under its own name");
    ExpectMarker(folder + name, "method 4");
    std::string local;
    Check(ReadBytes(folder + "UpdateList.txt", local) && local == installer,
          "method 4: the download went through the local list file");
}

E2E_SCENARIO(update_method_4_full_address_from_the_last_about_dialog) {
    const std::string name = "brantle-setup.exe";
    UpdateScenario s;
    if (!s.Begin({name})) return;
    const std::string installer = MarkerExeBytes();
    if (installer.empty()) return;
    Serve("uploaded/protected/v1.11/" + name, installer);
    Serve(kListPath, "Brantle,1.11,4,http://" + Host() + "/uploaded/protected/v1.11/" + name + ",0\n");
    HWND last = ShowLastAboutDialog(s.child);
    if (!last) return;
    int32_t result = LastRecordOptions();
    ClickLater(last, IDC_CHECK_UPDATES);
    if (!ExpectUpgradePrompt(s.child, "1.11", last, IDYES, "method 4 with a full address")) return;
    ExpectExit(s.child, last, result,
               "method 4 from the last About dialog: the program ends with the main dialog's result");
    std::string saved;
    Check(ReadBytes(TempFolder() + name, saved) && saved == installer,
          "method 4 with a full address: saved under the part after the last \"/\"");
    ExpectMarker(TempFolder() + name, "method 4 with a full address");
}

E2E_SCENARIO(update_failure_server_unreachable) {
    UpdateScenario s;
    if (!s.Begin()) return;
    Serve(kListPath, "Brantle,1.11,1,p\n");
    if (!SetServerDown(true)) return;
    ExpectFailure(s, false, "Could not connect to " + Host() + " (-2)", "no connection for the list");
    SetServerDown(false);
}

E2E_SCENARIO(update_failure_empty_list) {
    UpdateScenario s;
    if (!s.Begin()) return;
    Serve(kListPath, "", "empty");
    ExpectFailure(s, false, "Could not connect to " + Host() + " (-3)", "an empty list");
}

E2E_SCENARIO(update_failure_download_did_not_start) {
    UpdateScenario s;
    if (!s.Begin()) return;
    Serve(kListPath, "Brantle,1.11,4,gone.exe,1000\n");
    Serve("uploaded/protected/gone.exe", std::string(1000, 'M'));
    ExpectFailure(s, true,
                  "Download didn't start. \r\n"
                  "You may need to change an option in Internet Explorer:\r\n\r\n"
                  "   Select \"Internet options\", and then the \"Advanced\" tab.\r\n"
                  "   Uncheck this option (under \"Security\"): \"Do not save encrypted pages to disk\"\r\n\r\n"
                  " (-2146697208)",
                  "a method-4 download without connection", {"gone.exe"}, [] { SetServerDown(true); });
    SetServerDown(false);
}

E2E_SCENARIO(update_failure_download_incomplete) {
    UpdateScenario s;
    if (!s.Begin()) return;
    Serve(kListPath, "Brantle,1.11,4,half.exe,1000\n");
    Serve("uploaded/protected/half.exe", std::string(1000, 'M'), "short");
    ExpectFailure(s, true, "Download incomplete (500)", "a method-4 download cut off halfway", {"half.exe"});
}

E2E_SCENARIO(update_method_1_address_beginning_with_h_gets_a_scheme) {
    UpdateScenario s;
    if (!s.Begin()) return;
    Serve(kListPath, "Brantle,1.11,1,h/no/such/page\n");
    if (!s.Start() || !ExpectUpgradePrompt(s.child, "1.11", s.about, IDYES, "an address beginning with \"h\"")) return;
    CheckText(WaitForBrowserLine(s.browserLines), "http://h/no/such/page",
              "an address beginning with \"h\" but not with http:// gets http:// in front");
    ExpectExit(s.child, s.about, 0, "an address beginning with \"h\": the program ends with 0");
}

E2E_SCENARIO(update_failure_unsupported_method) {
    UpdateScenario s;
    if (!s.Begin()) return;
    Serve(kListPath, "Brantle,1.11,3,brantle.html\n");
    ExpectFailure(s, true,
                  "This version does not support that update method\r\n"
                  "Try installing the program again from: " +
                      Host() + "\r\n (103)",
                  "method 3");
}

E2E_SCENARIO(update_failure_address_without_a_file_name) {
    UpdateScenario s;
    if (!s.Begin()) return;
    Serve(kListPath, "Brantle,1.11,4,http://" + Host() + "/uploaded/protected/,0\n");
    ExpectFailure(s, true, "Unexpected error (-9)", "a method-4 address ending in \"/\"");
    Check(!WasRequested("GET /uploaded/protected/ 404"), "nothing was fetched for it", RequestLog());
}

// Addresses that would be cut off or read otherwise on the way (a zero
// byte, blanks, a quote, a byte above 127), and a saved name that is the
// local list file in any case: each is refused with kind 9 before anything
// is fetched, opened or saved, and the same About dialog checks again.
E2E_SCENARIO(update_failure_unclean_address_or_list_name) {
    UpdateScenario s;
    if (!s.Begin({"setup.exe", "my setup.exe", "\xe9t\xe9.exe"})) return;
    const std::string base = "http://" + Host() + "/uploaded/protected/";
    struct Case {
        std::string line;   // after "Brantle,1.11,"
        std::string saved;  // a name that must not be saved; empty: none
        const char* what;
    };
    const Case cases[] = {
        {"4," + base + std::string("evil.exe\0/setup.exe", 18) + ",0", "setup.exe",
         "a zero byte in a method-4 address"},
        {"4," + base + "my setup.exe,0", "my setup.exe", "a blank in a method-4 address"},
        {"4," + base + "my\tsetup.exe,0", "my\tsetup.exe", "a tab in a method-4 address"},
        {"4,\xe9t\xe9.exe,0", "\xe9t\xe9.exe", "a byte above 127 in a bare name"},
        {"1,http://" + Host() + "/a\" --flag \"b", "", "quotes in a method-1 address"},
        {"2,page two.html", "", "a blank in a method-2 address"},
        {"4,UpdateList.txt,0", "", "the local list's name"},
        {"4," + base + "updatelist.TXT,0", "", "the local list's name in other case"},
    };
    Serve("uploaded/protected/evil.exe", MarkerExeBytes());
    Serve("uploaded/protected/UpdateList.txt", "MZ not this");
    if (!s.Open()) return;
    ChildProcess& child = s.child;
    HWND about = s.about;
    for (const Case& c : cases) {
        DeleteFileW(Widen(ServerRoot() + "\\requests.log").c_str());
        Serve(kListPath, "Brantle,1.11," + c.line + "\n");
        ClickLater(about, IDC_CHECK_UPDATES);
        if (!ExpectUpgradePrompt(child, "1.11", about, IDYES, c.what) ||
            !ExpectBox(child, kFailureCaption, "Unexpected error (-9)", nullptr, IDOK, c.what))
            return;
        const std::string log = RequestLog();
        Check(log == "GET /uploaded/software/updates.txt ok\n", std::string(c.what) + ": only the list was fetched",
              Quoted(log));
        if (!c.saved.empty()) Check(!FileExists(TempFolder() + c.saved), std::string(c.what) + ": nothing saved");
        WaitUntil([&] { return IsWindowEnabled(about) != FALSE; }, kStepTimeout);
    }
    s.ExpectNothingOpened("nothing was opened in the browser");
    ExpectAboutStaysOpen(child, about, "after the refused addresses");
}

E2E_SCENARIO(update_failure_saved_file_cannot_start) {
    UpdateScenario s;
    if (!s.Begin({"notes.exe"})) return;
    Serve(kListPath, "Brantle,1.11,4,notes.exe,0\n");
    Serve("uploaded/protected/notes.exe", "This is a text file, not a program.\r\n");
    ExpectFailure(s, true, "Unexpected error (193)", "a saved file that is not a program");
}

E2E_SCENARIO(update_lines_that_are_never_found) {
    UpdateScenario s;
    if (!s.Begin()) return;
    std::string fifty;
    for (int i = 1; i <= 50; ++i) fifty += "Other" + std::to_string(i) + ",9.0,1,x\n";
    struct Case {
        std::string list;
        const char* what;
    };
    const Case cases[] = {
        {"Pelgrath,9.0,1,pelgrath.html\nbrantle,9.0,1,x\n", "lines for other programs only"},
        {"Pelgrath,9.0,1,x\n\nBrantle,9.0,1,x\n", "the program's line after an empty line"},
        {fifty + "Brantle,9.0,1,x\n", "the program's line as line 51"},
    };
    if (!s.Open()) return;
    ChildProcess& child = s.child;
    HWND about = s.about;
    for (const Case& c : cases) {
        DeleteFileW(Widen(ServerRoot() + "\\requests.log").c_str());
        Serve(kListPath, c.list);
        ClickLater(about, IDC_CHECK_UPDATES);
        Check(WaitUntil([] { return WasRequested("GET /uploaded/software/updates.txt ok"); }, kStepTimeout),
              std::string(c.what) + ": the list was fetched");
        Check(NoBoxAppears(child), std::string(c.what) + ": no message");
    }
    // The same dialog still checks: the program's line as line 50 is found.
    Serve(kListPath, fifty.substr(0, fifty.rfind("Other50")) + "Brantle,9.0,1,x\n");
    ClickLater(about, IDC_CHECK_UPDATES);
    if (!ExpectUpgradePrompt(child, "9.0", about, IDNO, "the program's line as line 50")) return;
    ExpectAboutStaysOpen(child, about, "after the lists without the program");
}

E2E_SCENARIO(update_failure_sha256_differs) {
    const std::string name = "brantle-tampered-setup.exe";
    UpdateScenario s;
    if (!s.Begin({name})) return;
    const std::string installer = MarkerExeBytes();
    if (installer.empty()) return;
    // The list names the SHA-256 of other bytes than those served.
    std::string hash = CheckedSha256Hex(installer + "tampered");
    if (hash.empty()) return;
    Serve("uploaded/protected/" + name, installer);
    Serve(kListPath, "Brantle,1.11,4," + name + ",0," + hash + "\n");
    ExpectFailure(s, true, "Download incomplete (-6)", "a download without the list's SHA-256", {name});
    Check(WasRequested("GET /uploaded/protected/" + name + " ok"), "it was downloaded before it was refused",
          RequestLog());
}

E2E_SCENARIO(update_method_4_file_address_is_never_fetched) {
    const std::string name = "brantle-share-setup.exe";
    UpdateScenario s;
    if (!s.Begin({name})) return;
    // A program on the file system, where a file: address would reach it.
    const std::string installer = MarkerExeBytes();
    if (installer.empty()) return;
    const std::string share = ServerRoot() + "\\share\\" + name;
    if (!Check(WriteBytes(share, installer), "the program is put where the file: address points")) return;
    std::string url = "file:///" + share;
    for (char& c : url) {
        if (c == '\\') c = '/';
    }
    Serve(kListPath, "Brantle,1.11,4," + url + ",0\n");
    if (!s.Start()) return;
    ChildProcess& child = s.child;
    HWND prompt = WaitForMessageBox(child.Pid(), kNewerCaption, kBoxTimeout);
    if (!Check(prompt != nullptr, "a file: address: the prompt appears")) return;
    AnswerMessageBox(prompt, IDYES);
    HWND box = WaitForMessageBox(child.Pid(), kFailureCaption, kBoxTimeout);
    if (Check(box != nullptr, "a file: address: the failure box appears")) {
        std::string text = MessageBoxText(box);
        Check(text.rfind("Download didn't start. \r\n", 0) == 0,
              "a file: address: it is fetched as http://file:..., which fails", Quoted(text));
        AnswerMessageBox(box, IDOK);
    }
    Check(!FileExists(TempFolder() + name), "a file: address: nothing saved");
    Check(!FileExists(TempFolder() + name + ".ran") && !FileExists(share + ".ran"), "a file: address: nothing started");
    ExpectAboutStaysOpen(child, s.about, "after a file: address");
    DeleteFileW(Widen(share).c_str());
}

E2E_SCENARIO(update_list_of_20_mb) {
    UpdateScenario s;
    if (!s.Begin()) return;
    // One line of 20 MB: only its first MiB is read, and the version in the
    // question is cut to 200 characters.
    const std::string version = "1.11" + std::string(20 * 1024 * 1024, 'x');
    Serve(kListPath, "Brantle," + version + ",1,brantle.html\n");
    if (!s.Start() || !ExpectUpgradePrompt(s.child, version.substr(0, 200), s.about, IDNO, "a list of 20 MB")) return;
    ExpectAboutStaysOpen(s.child, s.about, "after a list of 20 MB");
}

int TryToChangeFile(const std::wstring& path) {
    const DWORD everyone = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    int changed = 0;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, everyone, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        changed |= 1;
        CloseHandle(file);
    }
    const std::wstring moved = path + L".moved";
    if (MoveFileExW(path.c_str(), moved.c_str(), 0)) {
        changed |= 2;
        MoveFileExW(moved.c_str(), path.c_str(), 0);
    }
    file = CreateFileW(path.c_str(), DELETE, everyone, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        changed |= 4;
        CloseHandle(file);
    }
    return changed;
}

// The update holds the saved file from its last check until the program
// has started. Held so by the program's own platform code, the file can be
// neither written, renamed nor deleted by another process, and it still
// starts; the same attempts succeed on it before it is held.
E2E_SCENARIO(update_saved_file_is_held_while_it_starts) {
    const std::string name = "brantle-held-setup.exe";
    const std::string path = TempFolder() + name;
    DeleteFileW(Widen(path + ".ran").c_str());
    const std::string installer = MarkerExeBytes();
    if (installer.empty() || !Check(WriteBytes(path, installer), "the saved file is written")) return;
    wchar_t self[MAX_PATH] = {};
    const std::wstring harness(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    auto changesByAnotherProcess = [&](const std::string& when) -> long long {
        ChildProcess other;
        if (!Check(other.Start(harness, "--try-to-change \"" + path + "\""), when + ": a second process starts") ||
            !Check(other.WaitForExit(kStepTimeout), when + ": the second process ends"))
            return -1;
        return other.ExitCode();
    };
    CheckInt(changesByAnotherProcess("not held"), 7, "not held: another process can write, rename and delete it");

    Win32UpdatePlatform platform;
    uint32_t error = 0;
    UpdateFileHandle held = platform.OpenFileToStart(path, error);
    if (!Check(held != 0, "the saved file is held", "error " + std::to_string(error))) return;
    CheckInt(changesByAnotherProcess("held"), 0, "held: another process can neither write, rename nor delete it");
    CheckInt(platform.StartProgram(path), 0, "held: it starts all the same");
    platform.CloseFile(held);
    ExpectMarker(path, "the held file");
    std::string bytes;
    Check(ReadBytes(path, bytes) && bytes == installer, "the held file is unchanged");
}
