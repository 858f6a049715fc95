#include "update_scenario_support.h"

#include <bcrypt.h>

#include "scenario_support.h"

const char* const kLatestCaption = "No update available";
const char* const kNewerCaption = "Newer version available";
const char* const kFailureCaption = "Software update failed";
const char* const kListPath = "uploaded/software/updates.txt";
const char* const kSignaturePath = "uploaded/software/updates.txt.sig";

namespace {

std::string Environment(const char* name) {
    wchar_t buffer[1024];
    DWORD length = GetEnvironmentVariableW(Widen(name).c_str(), buffer, 1024);
    return length > 0 && length < 1024 ? Narrow(std::wstring(buffer, length)) : std::string();
}

}  // namespace

const std::string& ServerRoot() {
    static const std::string root = Environment("BRANTLE_E2E_UPDATE_ROOT");
    return root;
}
const std::string& Host() {
    static const std::string host = Environment("BRANTLE_E2E_UPDATE_HOST");
    return host;
}

bool ServerConfigured() {
    return Check(!ServerRoot().empty() && !Host().empty(), "the update server stand-in is running",
                 "BRANTLE_E2E_UPDATE_ROOT and BRANTLE_E2E_UPDATE_HOST are set by scripts/e2e.sh");
}

std::string WindowsPath(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string ParentFolder(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

bool WriteBytes(const std::string& path, const std::string& bytes) {
    CreateDirectoryW(Widen(ParentFolder(path)).c_str(), nullptr);
    HANDLE file =
        CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadBytes(const std::string& path, std::string& bytes) {
    HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return true;
}

bool FileExists(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string>& ServedFiles() {
    static std::vector<std::string> files;
    return files;
}

void Serve(const std::string& path, const std::string& bytes, const std::string& mode) {
    std::string local = ServerRoot() + "\\" + WindowsPath(path);
    CreateDirectoryW(Widen(ParentFolder(ParentFolder(local))).c_str(), nullptr);
    bool ok = WriteBytes(local, bytes) && WriteBytes(local + ".mode", mode);
    ServedFiles().push_back(local);
    ServedFiles().push_back(local + ".mode");
    if (!ok) Check(false, "the test can write " + path + " for the server");
}

std::string RequestLog() {
    std::string log;
    ReadBytes(ServerRoot() + "\\requests.log", log);
    return log;
}

bool WasRequested(const std::string& line) { return RequestLog().find(line + "\n") != std::string::npos; }

bool SetServerDown(bool down) {
    std::string flag = ServerRoot() + "\\server.down";
    if (down) {
        WriteBytes(flag, "");
    } else {
        DeleteFileW(Widen(flag).c_str());
    }
    const std::string want = down ? "down\n" : "up\n";
    std::string state;
    return Check(
        WaitUntil([&] { return ReadBytes(ServerRoot() + "\\server.state", state) && state == want; }, kStepTimeout),
        std::string("the server is ") + (down ? "down" : "up again"));
}

std::string TempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    return Narrow(std::wstring(buffer, length));
}

void ResetServerAndTemp(const std::vector<std::string>& savedNames) {
    if (FileExists(ServerRoot() + "\\server.down")) SetServerDown(false);
    for (const std::string& file : ServedFiles()) DeleteFileW(Widen(file).c_str());
    ServedFiles().clear();
    DeleteFileW(Widen(ServerRoot() + "\\requests.log").c_str());
    DeleteFileW(Widen(TempFolder() + "UpdateList.txt").c_str());
    for (const std::string& name : savedNames) {
        DeleteFileW(Widen(TempFolder() + name).c_str());
        DeleteFileW(Widen(TempFolder() + name + ".ran").c_str());
    }
}

HWND StartAndCheck(ChildProcess& child, const std::string& arguments) {
    if (!StartBrantle(child, arguments)) return nullptr;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the first About dialog");
    if (about) ClickLater(about, IDC_CHECK_UPDATES);
    return about;
}

bool ExpectBox(ChildProcess& child, const char* caption, const std::string& text, HWND owner, int button,
               const std::string& what) {
    HWND box = WaitForMessageBox(child.Pid(), caption, kBoxTimeout);
    if (!Check(box != nullptr, what + ": \"" + caption + "\" box appears")) return false;
    CheckText(MessageBoxText(box), text, what + ": message");
    Check(GetWindow(box, GW_OWNER) == owner, what + ": owner of the box",
          owner ? "expected the About dialog" : "expected none");
    AnswerMessageBox(box, button);
    return true;
}

std::string UpgradeQuestion(const std::string& version) {
    return "Do you wish to upgrade your installed version 1.10.1\r\nto version " + version + " ?";
}

bool ExpectUpgradePrompt(ChildProcess& child, const std::string& version, HWND owner, int button,
                         const std::string& what) {
    return ExpectBox(child, kNewerCaption, UpgradeQuestion(version), owner, button, what);
}

bool NoBoxAppears(ChildProcess& child) {
    return !WaitUntil(
        [&] {
            for (const char* caption : {kLatestCaption, kNewerCaption, kFailureCaption}) {
                if (!FindDialogs(child.Pid(), caption).empty()) return true;
            }
            return false;
        },
        kNoBoxWait);
}

void ExpectAboutStaysOpen(ChildProcess& child, HWND about, const std::string& what) {
    WaitUntil([&] { return IsWindowEnabled(about) != FALSE; }, kStepTimeout);
    if (!Check(IsWindow(about) && IsWindowVisible(about), what + ": the About dialog stays open")) return;
    Click(about, IDOK);
    HWND main = ExpectDialog(child, about, DialogKind::Main, what + ": OK then opens the main dialog");
    if (!main) return;
    PressKey(main, VK_ESCAPE);
    ExpectExit(child, main, -2, what + ": Esc ends the program");
}

bool SignedBuildGiven() {
    if (!Config.signedBrantleExe.empty()) {
        return Check(GetFileAttributesW(Config.signedBrantleExe.c_str()) != INVALID_FILE_ATTRIBUTES,
                     "a brantle.exe built with a test key is given", "--signed-brantle names no file");
    }
    Skip("no brantle.exe built with a test key was given (--signed-brantle; scripts/e2e.sh says why)");
    return false;
}

void ResetForSignedList(const std::vector<std::string>& savedNames) {
    ResetServerAndTemp(savedNames);
    DeleteFileW(Widen(TempFolder() + "UpdateList.sig").c_str());
}

void ServeSignature(const std::string& mode) {
    Serve(kSignaturePath, "", mode);
    ServedFiles().push_back(ServerRoot() + "\\" + WindowsPath(kSignaturePath) + ".served");
}

// ---------------------------------------------------------------- a scenario's start

bool UpdateScenario::Begin(const std::vector<std::string>& savedNames) {
    if (!ServerConfigured()) return false;
    ResetServerAndTemp(savedNames);
    browserLines = BrowserLogLines().size();
    return true;
}

bool UpdateScenario::BeginSigned(const std::vector<std::string>& savedNames) {
    if (!ServerConfigured() || !SignedBuildGiven()) return false;
    ResetSigned(savedNames);
    return true;
}

void UpdateScenario::ResetSigned(const std::vector<std::string>& savedNames) {
    ResetForSignedList(savedNames);
    browserLines = BrowserLogLines().size();
}

bool UpdateScenario::Open(const std::string& arguments) {
    if (!StartBrantle(child, arguments)) return false;
    about = ExpectDialog(child, nullptr, DialogKind::About, "the first About dialog");
    return about != nullptr;
}

bool UpdateScenario::Start(const std::string& arguments) {
    about = StartAndCheck(child, arguments);
    return about != nullptr;
}

void UpdateScenario::ExpectNothingOpened(const std::string& what) const {
    CheckInt(static_cast<long long>(BrowserLogLines().size()), static_cast<long long>(browserLines), what);
}

void ExpectFailure(UpdateScenario& s, bool asksFirst, const std::string& message, const std::string& what,
                   const std::vector<std::string>& notSaved, const std::function<void()>& beforeYes) {
    if (!s.Start()) return;
    ChildProcess& child = s.child;
    HWND about = s.about;
    if (asksFirst) {
        HWND prompt = WaitForMessageBox(child.Pid(), kNewerCaption, kBoxTimeout);
        if (!Check(prompt != nullptr, what + ": the prompt appears")) return;
        CheckText(MessageBoxText(prompt), UpgradeQuestion("1.11"), what + ": the prompt's text");
        if (beforeYes) beforeYes();
        AnswerMessageBox(prompt, IDYES);
    }
    if (!ExpectBox(child, kFailureCaption, message, nullptr, IDOK, what)) return;
    for (const std::string& name : notSaved) {
        Check(!FileExists(TempFolder() + name), what + ": nothing saved as " + name);
        Check(!FileExists(TempFolder() + name + ".ran"), what + ": nothing started");
    }
    ExpectAboutStaysOpen(child, about, what);
}

// ---------------------------------------------------------------- downloads

namespace {

const char kMarkerExe[] = "brantle_update_marker.exe";

// The SHA-256 of `bytes` in lower-case hexadecimal, by Windows' own
// cryptography ("" when it fails), as a maker's sha256sum gives it.
std::string Sha256Hex(const std::string& bytes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    UCHAR digest[32];
    bool ok = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0 &&
              BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0 &&
              BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                             static_cast<ULONG>(bytes.size()), 0) >= 0 &&
              BCryptFinishHash(hash, digest, sizeof digest, 0) >= 0;
    if (hash) BCryptDestroyHash(hash);
    if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!ok) return {};
    std::string hex;
    for (UCHAR byte : digest) {
        hex += "0123456789abcdef"[byte >> 4];
        hex += "0123456789abcdef"[byte & 15];
    }
    return hex;
}

}  // namespace

std::string MarkerExeBytes() {
    wchar_t self[MAX_PATH + 1];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
    std::string folder = ParentFolder(Narrow(std::wstring(self, length)));
    std::string bytes;
    if (!ReadBytes(folder + "\\" + kMarkerExe, bytes)) Check(false, std::string(kMarkerExe) + " is beside the harness");
    return bytes;
}

std::string CheckedSha256Hex(const std::string& bytes) {
    if (!CheckText(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
                   "the harness's SHA-256 gives sha256sum's value"))
        return {};
    return Sha256Hex(bytes);
}

void ExpectMarker(const std::string& saved, const std::string& what) {
    std::string note;
    WaitUntil([&] { return ReadBytes(saved + ".ran", note) && !note.empty() && note.back() == '\n'; }, kStepTimeout);
    if (!Check(!note.empty(), what + ": the saved program ran (its marker appeared)")) return;
    // The marker writes UTF-8; the paths here are ASCII.
    CheckText(note, saved + "\n\"" + saved + "\"\n", what + ": started as its full path, quoted on the command line");
}
