// A scripted stand-in for the update check's platform operations: files in
// memory that can grow between polls, downloads and shell results set by the
// test, and a record of every message box, cursor change, file written and
// program started.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "update_platform.h"

struct FakeUpdatePlatform : UpdatePlatform {
    // A file's content as the successive polls see it; the last stays.
    struct FakeFile {
        std::vector<std::string> stages{""};
        size_t opens = 0;
    };
    // What downloading an address does: its result, and on success the
    // stages the target file then shows.
    struct Download {
        int32_t result = 0;
        std::vector<std::string> stages;
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
    std::map<std::string, Download> downloads;  // unknown addresses fail
    uint32_t shellResult = 42;
    bool openFails = false;
    uint32_t readableBytes = UINT32_MAX;  // reads fail past this offset
    uint32_t writeError = 0;
    uint32_t startError = 0;
    int32_t answer = UPDATE_IDYES;

    // The record.
    std::map<std::string, FakeFile> files;
    std::vector<std::string> log;  // every operation in order
    std::vector<Box> boxes;
    std::vector<std::string> opened;             // addresses given to the shell
    std::vector<std::string> started;            // programs started
    std::map<std::string, std::string> written;  // files written whole
    std::vector<uint32_t> pauses;
    UpdateCursor cursor = UpdateCursor::Arrow;
    int openHandles = 0;

    void SetFile(const std::string& path, std::vector<std::string> stages) { files[path].stages = std::move(stages); }

    int32_t DownloadToFile(const std::string& address, const std::string& path) override {
        log.push_back("download " + address + " > " + path);
        auto found = downloads.find(address);
        if (found == downloads.end()) return static_cast<int32_t>(0x800C0008u);
        if (found->second.result == 0) files[path] = FakeFile{found->second.stages, 0};
        return found->second.result;
    }
    uint32_t OpenAddress(const std::string& address) override {
        log.push_back("open " + address);
        opened.push_back(address);
        return shellResult;
    }
    uint32_t TemporaryDirectory(std::string& directory) override {
        log.push_back("temp");
        if (temporaryDirectoryError) return temporaryDirectoryError;
        directory = temporaryDirectory;
        return 0;
    }
    void RemoveFile(const std::string& path) override {
        log.push_back("remove " + path);
        files.erase(path);
    }

    struct Handle {
        std::string content;
        uint32_t position = 0;
    };
    std::map<UpdateFileHandle, Handle> handles;
    UpdateFileHandle nextHandle = 1;

    UpdateFileHandle OpenFileForPolling(const std::string& path) override {
        log.push_back("poll " + path);
        if (openFails) return 0;
        FakeFile& file = files[path];  // created empty when missing
        const std::string& content = file.stages[std::min(file.opens, file.stages.size() - 1)];
        ++file.opens;
        ++openHandles;
        handles[nextHandle] = Handle{content, 0};
        return nextHandle++;
    }
    uint32_t FileSize(UpdateFileHandle file) override { return static_cast<uint32_t>(handles.at(file).content.size()); }
    uint32_t ReadFromFile(UpdateFileHandle file, char* buffer, uint32_t count) override {
        Handle& handle = handles.at(file);
        uint32_t end = std::min<uint32_t>(static_cast<uint32_t>(handle.content.size()), readableBytes);
        uint32_t got = handle.position >= end ? 0 : std::min(count, end - handle.position);
        handle.content.copy(buffer, got, handle.position);
        handle.position += got;
        return got;
    }
    void CloseFile(UpdateFileHandle file) override {
        log.push_back("close");
        handles.erase(file);
        --openHandles;
    }
    uint32_t WriteNewFile(const std::string& path, const std::string& data) override {
        log.push_back("write " + path);
        if (writeError) return writeError;
        written[path] = data;
        return 0;
    }
    uint32_t StartProgram(const std::string& path) override {
        log.push_back("start " + path);
        if (startError) return startError;
        started.push_back(path);
        return 0;
    }
    void Pause(uint32_t milliseconds) override {
        log.push_back("pause");
        pauses.push_back(milliseconds);
    }
    int32_t ShowMessageBox(uintptr_t owner, const std::string& text, const std::string& caption,
                           uint32_t style) override {
        log.push_back("box " + caption);
        boxes.push_back(Box{owner, text, caption, style, cursor});
        return (style & UPDATE_MB_YESNO) ? answer : 1;
    }
    void SetCursorShape(UpdateCursor shape) override {
        log.push_back(shape == UpdateCursor::Wait ? "cursor wait" : "cursor arrow");
        cursor = shape;
    }
};
