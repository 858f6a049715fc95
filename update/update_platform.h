// The platform operations that the update check needs, behind one narrow
// interface: Win32 in the program, a scripted fake in the tests.
#pragma once

#include <cstdint>
#include <string>

#include "update_digests.h"

enum class UpdateCursor { Wait, Arrow };

// An open file, as the platform names it; 0 stands for none.
using UpdateFileHandle = uintptr_t;

// A SHA-256 computation under way; 0 stands for none.
using UpdateHashHandle = uintptr_t;

// A download under way; 0 stands for none.
using UpdateTransferHandle = uintptr_t;

// What a download under way has done, as WaitForDownload finds it. Times
// are Milliseconds() readings.
struct TransferProgress {
    bool finished = false;    // it has ended by itself
    int32_t result = 0;       // once finished: 0 on success, otherwise the failure code
    uint64_t lastByteAt = 0;  // when the server last sent something; 0 before it first has
};

struct UpdatePlatform {
    virtual ~UpdatePlatform() = default;

    // Starts downloading `address` into the file `path`, which it creates or
    // empties, and returns at once while the transfer goes on. Returns 0 and
    // sets `error` to the failure code when the transfer cannot start.
    virtual UpdateTransferHandle StartDownload(const std::string& address, const std::string& path, int32_t& error) = 0;
    // Waits until the download has finished or `milliseconds` have passed,
    // whichever comes first, and tells where it stands.
    virtual TransferProgress WaitForDownload(UpdateTransferHandle transfer, uint32_t milliseconds) = 0;
    // Ends the download, whether it has finished or not, and frees it: once
    // this returns its file is closed and nothing more is written to it.
    virtual void EndDownload(UpdateTransferHandle transfer) = 0;
    // A clock in milliseconds that never goes back, from any starting point.
    virtual uint64_t Milliseconds() = 0;

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
    // The file's size on disk, whatever it is; 0 when it cannot be told.
    virtual uint64_t FileSize(UpdateFileHandle file) = 0;
    // Reads up to `count` bytes from the file's current position; returns
    // how many were read (0 at the end or on failure).
    virtual uint32_t ReadFromFile(UpdateFileHandle file, char* buffer, uint32_t count) = 0;

    // Creates (or replaces) the file `path`, opened for reading and writing
    // without sharing. Returns 0 and sets `error` to the system's code when it
    // cannot be created.
    virtual UpdateFileHandle CreateNewFile(const std::string& path, uint32_t& error) = 0;
    // Appends `count` bytes to a file made by CreateNewFile. Returns 0, or
    // the system's error code when not all of them were written.
    virtual uint32_t WriteToFile(UpdateFileHandle file, const char* data, uint32_t count) = 0;

    // Closes any file. Returns 0, or the system's error code (for a written
    // file: its content may not all have reached the disk).
    virtual uint32_t CloseFile(UpdateFileHandle file) = 0;

    // SHA-256 by the system's own cryptography. StartSha256 gives 0 when
    // that is not available; FinishSha256 writes the digest and ends the
    // computation, also when it fails.
    virtual UpdateHashHandle StartSha256() = 0;
    virtual bool AddToSha256(UpdateHashHandle hash, const char* data, uint32_t count) = 0;
    virtual bool FinishSha256(UpdateHashHandle hash, Sha256Digest& digest) = 0;

    // Whether `signature` is a valid ECDSA P-256 signature by `key` of the
    // SHA-256 `digest`, by the system's own cryptography. False also when
    // that is not available or the key is not a point of the curve.
    virtual bool VerifyP256Signature(const P256PublicKey& key, const Sha256Digest& digest,
                                     const P256Signature& signature) = 0;

    // Opens an existing file for reading only, shared for reading alone: as
    // long as it stays open, no one can write, rename or delete the file, yet
    // it can still be started. Returns 0 and sets `error` to the system's
    // code when it cannot be opened so.
    virtual UpdateFileHandle OpenFileToStart(const std::string& path, uint32_t& error) = 0;

    // Starts the program `path` as a new process without waiting for it.
    // Returns 0, or the system's error code.
    virtual uint32_t StartProgram(const std::string& path) = 0;

    virtual void Pause(uint32_t milliseconds) = 0;

    // A message box; `owner` 0 for none. Returns the button pressed. The
    // texts are plain C strings so that a box can be shown without
    // allocating, after memory has run out.
    virtual int32_t ShowMessageBox(uintptr_t owner, const char* text, const char* caption, uint32_t style) = 0;

    virtual void SetCursorShape(UpdateCursor cursor) = 0;
};

// Closes a file of the platform when it goes out of scope, also when an
// exception passes.
class ScopedUpdateFile {
public:
    ScopedUpdateFile(UpdatePlatform& platform, UpdateFileHandle file) : platform_(platform), file_(file) {}
    ScopedUpdateFile(const ScopedUpdateFile&) = delete;
    ScopedUpdateFile& operator=(const ScopedUpdateFile&) = delete;
    ~ScopedUpdateFile() { Close(); }

    UpdateFileHandle Get() const { return file_; }
    // Hands the file over to the caller, who then closes it.
    UpdateFileHandle Release() {
        UpdateFileHandle file = file_;
        file_ = 0;
        return file;
    }
    // Closes now; returns CloseFile's result (0 when there was no file).
    uint32_t Close() {
        UpdateFileHandle file = file_;
        file_ = 0;
        return file ? platform_.CloseFile(file) : 0;
    }

private:
    UpdatePlatform& platform_;
    UpdateFileHandle file_;
};

// Message box styles and answers, with the values the system gives them.
constexpr uint32_t UPDATE_MB_OK = 0x0;
constexpr uint32_t UPDATE_MB_YESNO = 0x4;
constexpr uint32_t UPDATE_MB_ICONQUESTION = 0x20;
constexpr uint32_t UPDATE_MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t UPDATE_MB_TASKMODAL = 0x2000;
constexpr int32_t UPDATE_IDYES = 6;
