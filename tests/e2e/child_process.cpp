// Starting the program under test and waiting for its end.
#include "e2e.h"

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Start(const std::wstring& exe, const std::string& arguments) {
    Terminate();
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + Widen(arguments);
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_)) {
        info_ = {};
        return false;
    }
    return true;
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
