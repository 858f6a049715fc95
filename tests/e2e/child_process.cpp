// Starting the program under test and waiting for its end; loading a
// library into it and listing what it has loaded.
#include "e2e.h"  // windows.h first: tlhelp32.h needs its types

#include <tlhelp32.h>

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Start(const std::wstring& exe, const std::string& arguments) {
    Terminate();
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + Widen(arguments);
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // Under Wine a start now and then fails for no reason of the program's,
    // so a failed start is tried once more after a pause. Either way the
    // error is printed: a program that cannot start fails the second try too.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        std::vector<wchar_t> commandBuffer = buffer;  // CreateProcessW may write to it
        if (CreateProcessW(exe.c_str(), commandBuffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &info_)) {
            return true;
        }
        const DWORD error = GetLastError();
        info_ = {};
        Note("starting " + Narrow(exe) + " failed (error " + std::to_string(error) + ")" +
             (attempt == 1 ? "; trying once more" : ""));
        if (attempt == 1) Sleep(2000);
    }
    return false;
}

bool ChildProcess::Running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

bool ChildProcess::WaitForExit(DWORD timeoutMs) {
    return WaitUntil([this] { return !Running(); }, timeoutMs);
}

int32_t ChildProcess::ExitCode() const {
    DWORD code = 0;
    if (!info_.hProcess || !GetExitCodeProcess(info_.hProcess, &code)) return 0;
    return static_cast<int32_t>(code);
}

void ChildProcess::Terminate() {
    if (!info_.hProcess) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 0xDEAD);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = {};
}

bool LoadLibraryInto(HANDLE process, const std::wstring& library) {
    const SIZE_T bytes = (library.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    HANDLE thread = nullptr;
    auto* loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    if (loadLibrary && WriteProcessMemory(process, remote, library.c_str(), bytes, nullptr)) {
        thread = CreateRemoteThread(process, nullptr, 0, loadLibrary, remote, 0, nullptr);
    }
    if (thread) {
        // The name must stay until LoadLibraryW has read it.
        WaitUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, kStepTimeout);
        CloseHandle(thread);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return thread != nullptr;
}

std::vector<std::string> LoadedModules(DWORD pid) {
    std::vector<std::string> modules;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return modules;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry)) {
        std::string name = Narrow(entry.szModule);
        for (char& c : name) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        modules.push_back(name);
    }
    CloseHandle(snapshot);
    return modules;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}
