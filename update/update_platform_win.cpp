#include "update_platform_win.h"

#include <windows.h>

namespace {

using UrlDownloadToFileFunction = HRESULT(WINAPI*)(void* caller, const char* address, const char* path, DWORD reserved,
                                                   void* statusCallback);
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND owner, const char* verb, const char* file, const char* parameters,
                                                const char* directory, INT show);

// Loads `library` once and looks up `name` in it; null when either fails.
// The library stays loaded until the process ends.
FARPROC LoadOnce(HMODULE& module, const char* library, const char* name) {
    if (!module) module = LoadLibraryA(library);
    return module ? GetProcAddress(module, name) : nullptr;
}

HMODULE UrlMon;
HMODULE Shell32;

uint32_t LastErrorOr(uint32_t fallback) {
    DWORD error = GetLastError();
    return error ? error : fallback;
}

HANDLE AsHandle(UpdateFileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

int32_t Win32UpdatePlatform::DownloadToFile(const std::string& address, const std::string& path) {
    auto download = reinterpret_cast<UrlDownloadToFileFunction>(
        reinterpret_cast<void*>(LoadOnce(UrlMon, "urlmon.dll", "URLDownloadToFileA")));
    if (!download) return static_cast<int32_t>(HRESULT_FROM_WIN32(LastErrorOr(ERROR_PROC_NOT_FOUND)));
    return static_cast<int32_t>(download(nullptr, address.c_str(), path.c_str(), 0, nullptr));
}

uint32_t Win32UpdatePlatform::OpenAddress(const std::string& address) {
    auto shellExecute = reinterpret_cast<ShellExecuteFunction>(
        reinterpret_cast<void*>(LoadOnce(Shell32, "shell32.dll", "ShellExecuteA")));
    if (!shellExecute) return 0;
    HINSTANCE result = shellExecute(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(result));
}

uint32_t Win32UpdatePlatform::TemporaryDirectory(std::string& directory) {
    // Asks for the length first and gives the path a buffer of that size;
    // should the path grow in between, asks again rather than cut it.
    DWORD size = GetTempPathA(0, nullptr);
    for (int attempt = 0; attempt < 4 && size != 0; ++attempt) {
        std::string buffer(size, '\0');
        DWORD length = GetTempPathA(size, &buffer[0]);
        if (length == 0) break;
        if (length < size) {
            buffer.resize(length);
            if (buffer.back() != '\\') buffer += '\\';
            directory = buffer;
            return 0;
        }
        size = length;
    }
    return LastErrorOr(ERROR_PATH_NOT_FOUND);
}

void Win32UpdatePlatform::RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }

UpdateFileHandle Win32UpdatePlatform::OpenFileForPolling(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<UpdateFileHandle>(file);
}

uint32_t Win32UpdatePlatform::FileSize(UpdateFileHandle file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(AsHandle(file), &size)) return 0;
    return size.QuadPart > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<uint32_t>(size.QuadPart);
}

uint32_t Win32UpdatePlatform::ReadFromFile(UpdateFileHandle file, char* buffer, uint32_t count) {
    DWORD got = 0;
    return ReadFile(AsHandle(file), buffer, count, &got, nullptr) ? got : 0;
}

void Win32UpdatePlatform::CloseFile(UpdateFileHandle file) { CloseHandle(AsHandle(file)); }

uint32_t Win32UpdatePlatform::WriteNewFile(const std::string& path, const std::string& data) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastErrorOr(ERROR_CANNOT_MAKE);
    uint32_t error = 0;
    size_t done = 0;
    while (done < data.size()) {
        DWORD written = 0;
        if (!WriteFile(file, data.data() + done, static_cast<DWORD>(data.size() - done), &written, nullptr) ||
            written == 0) {
            error = LastErrorOr(ERROR_WRITE_FAULT);
            break;
        }
        done += written;
    }
    if (!CloseHandle(file) && !error) error = LastErrorOr(ERROR_WRITE_FAULT);
    // A half-written installer must not be left to be started by hand.
    if (error) DeleteFileA(path.c_str());
    return error;
}

uint32_t Win32UpdatePlatform::StartProgram(const std::string& path) {
    int length = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) return LastErrorOr(ERROR_INVALID_NAME);
    std::wstring program(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path.data(), static_cast<int>(path.size()), &program[0], length);

    // The full path names the program, so no search takes place; the quoted
    // path as the command line gives it its own name as its first argument
    // even where the path holds spaces.
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return LastErrorOr(ERROR_INVALID_PARAMETER);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

void Win32UpdatePlatform::Pause(uint32_t milliseconds) { Sleep(milliseconds); }

int32_t Win32UpdatePlatform::ShowMessageBox(uintptr_t owner, const std::string& text, const std::string& caption,
                                            uint32_t style) {
    return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

void Win32UpdatePlatform::SetCursorShape(UpdateCursor cursor) {
    SetCursor(LoadCursor(nullptr, cursor == UpdateCursor::Wait ? IDC_WAIT : IDC_ARROW));
}
