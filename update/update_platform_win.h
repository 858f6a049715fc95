// The update check's platform operations on Win32.
#pragma once

#include "update_platform.h"

// urlmon and shell32 are loaded on first use, so that the program's start-up
// does not load them.
struct Win32UpdatePlatform final : UpdatePlatform {
    int32_t DownloadToFile(const std::string& address, const std::string& path) override;
    uint32_t OpenAddress(const std::string& address) override;
    uint32_t TemporaryDirectory(std::string& directory) override;
    void RemoveFile(const std::string& path) override;
    UpdateFileHandle OpenFileForPolling(const std::string& path) override;
    uint32_t FileSize(UpdateFileHandle file) override;
    uint32_t ReadFromFile(UpdateFileHandle file, char* buffer, uint32_t count) override;
    void CloseFile(UpdateFileHandle file) override;
    uint32_t WriteNewFile(const std::string& path, const std::string& data) override;
    uint32_t StartProgram(const std::string& path) override;
    void Pause(uint32_t milliseconds) override;
    int32_t ShowMessageBox(uintptr_t owner, const std::string& text, const std::string& caption,
                           uint32_t style) override;
    void SetCursorShape(UpdateCursor cursor) override;
};
