// A scripted stand-in for the update check's platform operations: files in
// memory that can grow between polls, downloads and shell results set by the
// test, SHA-256 and ECDSA P-256 verification by OpenSSL's libcrypto (the
// program uses the system's), and a record of every message box, cursor
// change, file written and program started.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "openssl_crypto.h"
#include "update_platform.h"

struct FakeUpdatePlatform : UpdatePlatform {
    // A file's content as the successive polls see it; the last stays.
    struct FakeFile {
        std::vector<std::string> stages{""};
        size_t opens = 0;
    };
    // What downloading an address does: its result, and on success the
    // stages the target file then shows. It finishes `finishesAfter`
    // milliseconds after its start (NEVER: only a limit ends it), and the
    // server sends something at each of `bytesAfter`; while it runs, the
    // target file holds PARTIAL_DOWNLOAD once something has come.
    static constexpr uint64_t NEVER = UINT64_MAX;
    struct Download {
        Download(int32_t code = 0, std::vector<std::string> content = {}) : result(code), stages(std::move(content)) {}
        int32_t result = 0;
        std::vector<std::string> stages;
        uint64_t finishesAfter = 0;
        std::vector<uint64_t> bytesAfter;
    };
    static constexpr const char* PARTIAL_DOWNLOAD = "part of a download";
    // A download as it went, in the fake clock's milliseconds.
    struct Transfer {
        std::string address;
        std::string path;
        Download script;
        uint64_t startedAt = 0;
        std::vector<uint32_t> waits;  // each wait asked for
        bool finished = false;
        bool ended = false;
        uint64_t endedAt = 0;
    };
    struct Box {
        uintptr_t owner;
        std::string text;
        std::string caption;
        uint32_t style;
        UpdateCursor cursor;  // the cursor while the box was shown
    };

    // The script.
    std::string temporaryDirectory = "C:\\Users\\Ann Example\\AppData\\Local\\Temp\\";
    uint32_t temporaryDirectoryError = 0;
    std::map<std::string, Download> downloads;  // unknown addresses fail at once
    bool downloadsCannotStart = false;          // StartDownload fails, with this error:
    int32_t downloadStartError = 0;
    uint32_t shellResult = 42;
    bool openFails = false;
    uint32_t readableBytes = UINT32_MAX;  // reads fail past this offset
    uint32_t createError = 0;
    uint32_t writeError = 0;
    uint32_t closeError = 0;  // of a written file
    uint32_t startError = 0;
    uint32_t holdError = 0;  // the saved file cannot be held for its start
    // Runs just before the saved file is opened to be started, as another
    // program could change it between the copy and the start.
    std::function<void(FakeUpdatePlatform&, const std::string& path)> beforeHold;
    bool hashUnavailable = false;
    bool verifierUnavailable = false;
    int32_t answer = UPDATE_IDYES;
    // An operation whose log entry begins with this runs out of memory.
    std::string outOfMemoryAt;

    // The record.
    std::map<std::string, FakeFile> files;
    std::vector<std::string> log;  // every operation in order
    std::vector<Box> boxes;
    std::vector<std::string> opened;             // addresses given to the shell
    std::vector<std::string> started;            // programs started
    std::vector<std::string> startedBytes;       // the bytes of each when it was started
    std::vector<bool> startedWhileHeld;          // whether each was held open for its start then
    std::map<std::string, std::string> written;  // files written and not removed
    std::vector<uint32_t> pauses;
    UpdateCursor cursor = UpdateCursor::Arrow;
    uint64_t now = 5000000;           // the clock; only waits move it
    std::vector<Transfer> transfers;  // a transfer's handle is its index + 1
    int openTransfers = 0;
    // Waits for or ends of a transfer already ended, and files deleted while
    // a transfer still writes them.
    int transferMisuses = 0;
    int openHandles = 0;
    int openHashes = 0;
    uint32_t largestRead = 0;   // the most bytes asked of one read
    uint32_t largestWrite = 0;  // the most bytes written at once
    uint64_t bytesRead = 0;

    void SetFile(const std::string& path, std::vector<std::string> stages) { files[path].stages = std::move(stages); }

    void Log(const std::string& entry) {
        log.push_back(entry);
        if (!outOfMemoryAt.empty() && entry.rfind(outOfMemoryAt, 0) == 0) throw std::bad_alloc();
    }

    UpdateTransferHandle StartDownload(const std::string& address, const std::string& path, int32_t& error) override {
        Log("download " + address + " > " + path);
        if (downloadsCannotStart) {
            error = downloadStartError;
            return 0;
        }
        auto found = downloads.find(address);
        const Download script = found != downloads.end() ? found->second : Download(static_cast<int32_t>(0x800C0008u));
        files[path] = FakeFile{};
        Transfer transfer;
        transfer.address = address;
        transfer.path = path;
        transfer.script = script;
        transfer.startedAt = now;
        transfers.push_back(transfer);
        ++openTransfers;
        return transfers.size();
    }
    TransferProgress WaitForDownload(UpdateTransferHandle handle, uint32_t milliseconds) override {
        Transfer& transfer = transfers.at(handle - 1);
        if (transfer.ended) ++transferMisuses;
        transfer.waits.push_back(milliseconds);
        const Download& script = transfer.script;
        const uint64_t finishAt = script.finishesAfter == NEVER ? NEVER : transfer.startedAt + script.finishesAfter;
        TransferProgress progress;
        if (!transfer.finished && finishAt <= now + milliseconds) {
            now = std::max(now, finishAt);
            transfer.finished = true;
            if (script.result == 0) files[transfer.path] = FakeFile{script.stages, 0};
        } else {
            now += milliseconds;
        }
        for (uint64_t after : script.bytesAfter) {
            if (transfer.startedAt + after <= now) progress.lastByteAt = transfer.startedAt + after;
        }
        if (!transfer.finished && progress.lastByteAt) files[transfer.path] = FakeFile{{PARTIAL_DOWNLOAD}, 0};
        progress.finished = transfer.finished;
        progress.result = transfer.finished ? script.result : 0;
        return progress;
    }
    void EndDownload(UpdateTransferHandle handle) override {
        Transfer& transfer = transfers.at(handle - 1);
        if (transfer.ended) ++transferMisuses;
        transfer.ended = true;
        transfer.endedAt = now;
        --openTransfers;
    }
    uint64_t Milliseconds() override { return now; }
    uint32_t OpenAddress(const std::string& address) override {
        Log("open " + address);
        opened.push_back(address);
        return shellResult;
    }
    uint32_t TemporaryDirectory(std::string& directory) override {
        Log("temp");
        if (temporaryDirectoryError) return temporaryDirectoryError;
        directory = temporaryDirectory;
        return 0;
    }
    void RemoveFile(const std::string& path) override {
        Log("remove " + path);
        for (const Transfer& transfer : transfers) {
            if (transfer.path == path && !transfer.ended) ++transferMisuses;
        }
        files.erase(path);
        written.erase(path);
    }

    struct Handle {
        std::string content;
        uint32_t position = 0;
        std::string writtenPath;  // set for a file made by CreateNewFile
        std::string heldPath;     // set for a file opened by OpenFileToStart
    };
    std::map<UpdateFileHandle, Handle> handles;
    UpdateFileHandle nextHandle = 1;

    UpdateFileHandle OpenFileForPolling(const std::string& path) override {
        Log("poll " + path);
        if (openFails) return 0;
        FakeFile& file = files[path];  // created empty when missing
        const std::string& content = file.stages[std::min(file.opens, file.stages.size() - 1)];
        ++file.opens;
        ++openHandles;
        handles[nextHandle] = Handle{content, 0, {}, {}};
        return nextHandle++;
    }
    uint64_t FileSize(UpdateFileHandle file) override { return handles.at(file).content.size(); }
    uint32_t ReadFromFile(UpdateFileHandle file, char* buffer, uint32_t count) override {
        Handle& handle = handles.at(file);
        largestRead = std::max(largestRead, count);
        uint32_t end = std::min<uint32_t>(static_cast<uint32_t>(handle.content.size()), readableBytes);
        uint32_t got = handle.position >= end ? 0 : std::min(count, end - handle.position);
        handle.content.copy(buffer, got, handle.position);
        handle.position += got;
        bytesRead += got;
        return got;
    }
    UpdateFileHandle CreateNewFile(const std::string& path, uint32_t& error) override {
        Log("create " + path);
        if (createError) {
            error = createError;
            return 0;
        }
        written[path].clear();
        ++openHandles;
        handles[nextHandle] = Handle{{}, 0, path, {}};
        return nextHandle++;
    }
    uint32_t WriteToFile(UpdateFileHandle file, const char* data, uint32_t count) override {
        const std::string& path = handles.at(file).writtenPath;
        if (path.empty()) return 6;  // not open for writing
        largestWrite = std::max(largestWrite, count);
        if (writeError) return writeError;
        written[path].append(data, count);
        return 0;
    }
    uint32_t CloseFile(UpdateFileHandle file) override {
        Log("close");
        bool wasWritten = !handles.at(file).writtenPath.empty();
        handles.erase(file);
        --openHandles;
        return wasWritten ? closeError : 0;
    }

    UpdateFileHandle OpenFileToStart(const std::string& path, uint32_t& error) override {
        Log("hold " + path);
        if (beforeHold) beforeHold(*this, path);
        auto found = written.find(path);
        if (holdError || found == written.end()) {
            error = holdError ? holdError : 2;  // not found
            return 0;
        }
        ++openHandles;
        handles[nextHandle] = Handle{found->second, 0, {}, path};
        return nextHandle++;
    }

    UpdateHashHandle StartSha256() override {
        Log("hash");
        if (hashUnavailable) return 0;
        UpdateHashHandle hash = OpenSslStartSha256();
        if (hash) ++openHashes;
        return hash;
    }
    bool AddToSha256(UpdateHashHandle hash, const char* data, uint32_t count) override {
        return OpenSslAddToSha256(hash, data, count);
    }
    bool FinishSha256(UpdateHashHandle hash, Sha256Digest& digest) override {
        --openHashes;
        return OpenSslFinishSha256(hash, digest);
    }

    bool VerifyP256Signature(const P256PublicKey& key, const Sha256Digest& digest,
                             const P256Signature& signature) override {
        Log("verify");
        return !verifierUnavailable && OpenSslVerifyP256Signature(key, digest, signature);
    }

    uint32_t StartProgram(const std::string& path) override {
        Log("start " + path);
        if (startError) return startError;
        started.push_back(path);
        startedBytes.push_back(written.count(path) ? written.at(path) : "(no such file)");
        bool held = false;
        for (const auto& handle : handles) held = held || handle.second.heldPath == path;
        startedWhileHeld.push_back(held);
        return 0;
    }
    void Pause(uint32_t milliseconds) override {
        Log("pause");
        pauses.push_back(milliseconds);
    }
    int32_t ShowMessageBox(uintptr_t owner, const char* text, const char* caption, uint32_t style) override {
        Log(std::string("box ") + caption);
        boxes.push_back(Box{owner, text, caption, style, cursor});
        return (style & UPDATE_MB_YESNO) ? answer : 1;
    }
    void SetCursorShape(UpdateCursor shape) override {
        Log(shape == UpdateCursor::Wait ? "cursor wait" : "cursor arrow");
        cursor = shape;
    }
};

// A transfer's arrivals for FakeUpdatePlatform's scripts: a piece every
// `step` milliseconds, up to `until`.
inline std::vector<uint64_t> ArrivalsEvery(uint64_t step, uint64_t until) {
    std::vector<uint64_t> times;
    for (uint64_t at = step; at <= until; at += step) times.push_back(at);
    return times;
}
