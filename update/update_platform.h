// The platform operations that the update check needs, behind one narrow
// interface: Win32 in the program, a scripted fake in the tests.
#pragma once

#include <cstdint>
#include <string>

enum class UpdateCursor { Wait, Arrow };

// An open file, as the platform names it; 0 stands for none.
using UpdateFileHandle = uintptr_t;

struct UpdatePlatform {
    virtual ~UpdatePlatform() = default;

    // Downloads `address` into the file `path`, replacing what it holds, and
    // returns when the transfer has ended: 0 on success, otherwise the
    // failure code.
    virtual int32_t DownloadToFile(const std::string& address, const std::string& path) = 0;

    // Hands `address` to the shell's "open" verb, shown maximised. Returns the
    // shell's result; more than 32 is success.
    virtual uint32_t OpenAddress(const std::string& address) = 0;

    // The temporary directory, ending with a backslash, whole however long.
    // Returns 0, or the system's error code when there is none.
    virtual uint32_t TemporaryDirectory(std::string& directory) = 0;

    // Deletes a file; whether that works is not reported.
    virtual void RemoveFile(const std::string& path) = 0;

    // Opens a file for reading, shared for reading and writing, creating it
    // empty when it does not exist; 0 when it cannot be opened.
    virtual UpdateFileHandle OpenFileForPolling(const std::string& path) = 0;
    virtual uint32_t FileSize(UpdateFileHandle file) = 0;
    // Reads up to `count` bytes from the file's current position; returns
    // how many were read (0 at the end or on failure).
    virtual uint32_t ReadFromFile(UpdateFileHandle file, char* buffer, uint32_t count) = 0;
    virtual void CloseFile(UpdateFileHandle file) = 0;

    // Creates (or replaces) the file `path` without sharing and writes
    // `data` as its whole content. Returns 0, or the system's error code;
    // a file that could not be written whole is not left behind.
    virtual uint32_t WriteNewFile(const std::string& path, const std::string& data) = 0;

    // Starts the program `path` as a new process without waiting for it.
    // Returns 0, or the system's error code.
    virtual uint32_t StartProgram(const std::string& path) = 0;

    virtual void Pause(uint32_t milliseconds) = 0;

    // A message box; `owner` 0 for none. Returns the button pressed.
    virtual int32_t ShowMessageBox(uintptr_t owner, const std::string& text, const std::string& caption,
                                   uint32_t style) = 0;

    virtual void SetCursorShape(UpdateCursor cursor) = 0;
};

// Message box styles and answers, with the values the system gives them.
constexpr uint32_t UPDATE_MB_OK = 0x0;
constexpr uint32_t UPDATE_MB_YESNO = 0x4;
constexpr uint32_t UPDATE_MB_ICONQUESTION = 0x20;
constexpr uint32_t UPDATE_MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t UPDATE_MB_TASKMODAL = 0x2000;
constexpr int32_t UPDATE_IDYES = 6;
