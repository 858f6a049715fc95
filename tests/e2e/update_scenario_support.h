// What the update scenarios share: the update server stand-in
// (update_server.py, started by scripts/e2e.sh on the host and port that
// brantle.exe was built for), the files it serves and the temporary folder,
// starting a check and answering its message boxes, the build that carries
// a test key, a scenario's start, and the program that stands in for a
// download.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "e2e.h"

extern const char* const kLatestCaption;   // "No update available"
extern const char* const kNewerCaption;    // "Newer version available"
extern const char* const kFailureCaption;  // "Software update failed"
extern const char* const kListPath;        // the list's path on the server
extern const char* const kSignaturePath;   // its signature's
constexpr DWORD kBoxTimeout = 60000;       // an empty list takes 31 polls, about 3 s
constexpr DWORD kNoBoxWait = 1500;         // how long "no message" is watched for

// The server's folder (a Windows path) and the host brantle.exe asks.
const std::string& ServerRoot();
const std::string& Host();
bool ServerConfigured();

std::string WindowsPath(std::string path);
std::string ParentFolder(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
bool ReadBytes(const std::string& path, std::string& bytes);
bool FileExists(const std::string& path);

// The files served in this run, removed before each scenario.
std::vector<std::string>& ServedFiles();

// Serves `bytes` at `path` (under the server root) the way `mode` says
// (see update_server.py).
void Serve(const std::string& path, const std::string& bytes, const std::string& mode = "ok");

std::string RequestLog();
bool WasRequested(const std::string& line);

// Makes the server stop (or start again) listening, so that a connection is
// refused, and waits until it has.
bool SetServerDown(bool down);

// The temporary folder that brantle.exe, started from here, will use.
std::string TempFolder();

// A fresh start: nothing served, no requests logged, no files of an earlier
// check in the temporary folder.
void ResetServerAndTemp(const std::vector<std::string>& savedNames = {});

// Starts brantle.exe with `arguments`, waits for the first About dialog and
// clicks "Check for updates" (posted: the check runs on with its boxes).
HWND StartAndCheck(ChildProcess& child, const std::string& arguments = "");

// Waits for the message box `caption`, checks its text and owner, and
// presses `button`. Returns whether the box came.
bool ExpectBox(ChildProcess& child, const char* caption, const std::string& text, HWND owner, int button,
               const std::string& what);

// The question of the prompt for the newer version `version`, which the
// running 1.10.1 asks.
std::string UpgradeQuestion(const std::string& version);

// Waits for the prompt for the newer version `version`, owned by `owner`,
// checks its text and presses `button`. Returns whether it came.
bool ExpectUpgradePrompt(ChildProcess& child, const std::string& version, HWND owner, int button,
                         const std::string& what);

// Watches for any of the update check's boxes for a while; true if none came.
bool NoBoxAppears(ChildProcess& child);

// After a check that launched nothing: the About dialog is still open and
// works; OK leads to the main dialog, and Esc ends the program.
void ExpectAboutStaysOpen(ChildProcess& child, HWND about, const std::string& what);

// ---------------------------------------------------------------- signed lists
//
// The same program built with a test key (BRANTLE_UPDATE_PUBLIC_KEY), given
// to the harness with --signed-brantle. The server signs the list with that
// key's private half, by openssl, when the signature is served in the mode
// "signed" (update_server.py).

// Whether the harness was given that program; a scenario that needs it and
// finds none is reported as skipped.
bool SignedBuildGiven();

// While it lives, the programs that the scenario starts are the build that
// carries the test key.
class UsingSignedBuild {
public:
    UsingSignedBuild() : saved_(Config.brantleExe) { Config.brantleExe = Config.signedBrantleExe; }
    UsingSignedBuild(const UsingSignedBuild&) = delete;
    UsingSignedBuild& operator=(const UsingSignedBuild&) = delete;
    ~UsingSignedBuild() { Config.brantleExe = saved_; }

private:
    std::wstring saved_;
};

// ResetServerAndTemp, and no signature of an earlier check left behind.
void ResetForSignedList(const std::vector<std::string>& savedNames = {});

// Serves the list's signature in `mode` ("signed", "signed-by-other").
void ServeSignature(const std::string& mode);

// ---------------------------------------------------------------- a scenario's start
//
// What an update scenario begins with. Begin() checks that the stand-in
// runs, makes the server and the temporary folder fresh (`savedNames`: the
// files that a download may leave there) and notes how far the browser's
// log goes; the scenario then serves its files, and Start() starts
// brantle.exe and clicks "Check for updates" in its first About dialog, or
// Open() only finds that dialog. BeginSigned() also checks that the build
// that carries a test key was given, and ResetSigned() makes the server and
// the folder fresh for it; the scenario uses that build with
// UsingSignedBuild.
struct UpdateScenario {
    ChildProcess child;
    HWND about = nullptr;     // the first About dialog, once found
    size_t browserLines = 0;  // lines in the browser's log before the scenario

    bool Begin(const std::vector<std::string>& savedNames = {});
    bool BeginSigned(const std::vector<std::string>& savedNames = {});
    void ResetSigned(const std::vector<std::string>& savedNames = {});
    bool Open(const std::string& arguments = "");
    bool Start(const std::string& arguments = "");
    // Checks that nothing was opened in the browser since the scenario began.
    void ExpectNothingOpened(const std::string& what) const;
};

// Starts the scenario's check, answers Yes to the prompt for version 1.11
// when `asksFirst` (running `beforeYes` first), and expects the failure box
// with `message` (no owner); the About dialog then stays open. Nothing may
// be saved or started under `notSaved`.
void ExpectFailure(UpdateScenario& s, bool asksFirst, const std::string& message, const std::string& what,
                   const std::vector<std::string>& notSaved = {}, const std::function<void()>& beforeYes = {});

// ---------------------------------------------------------------- downloads
//
// The marker program (brantle_update_marker.exe, beside the harness) stands
// in for a downloaded installer: started, it notes its path and command line
// in "<its path>.ran".

// The marker program's bytes; a failed check when it cannot be read.
std::string MarkerExeBytes();

// The SHA-256 of `bytes` in lower-case hexadecimal, by Windows' own
// cryptography, as a maker's sha256sum gives it; "" (and a failed check)
// when the harness's hashing does not give sha256sum's value for "abc".
std::string CheckedSha256Hex(const std::string& bytes);

// Waits for the started marker program's note and checks that exactly
// `saved` ran, started by its quoted full path.
void ExpectMarker(const std::string& saved, const std::string& what);
