// The update check's platform operations on Win32.
#pragma once

#include "update_platform.h"

// urlmon, shell32 and bcrypt are loaded from the system directory on first
// use, so that the program's start-up does not load them.
struct Win32UpdatePlatform final : UpdatePlatform {
    UpdateTransferHandle StartDownload(const std::string& address, const std::string& path, int32_t& error) override;
    TransferProgress WaitForDownload(UpdateTransferHandle transfer, uint32_t milliseconds) override;
    void EndDownload(UpdateTransferHandle transfer) override;
    uint64_t Milliseconds() override;
    uint32_t OpenAddress(const std::string& address) override;
    uint32_t TemporaryDirectory(std::string& directory) override;
    void RemoveFile(const std::string& path) override;
    UpdateFileHandle OpenFileForPolling(const std::string& path) override;
    uint64_t FileSize(UpdateFileHandle file) override;
    uint32_t ReadFromFile(UpdateFileHandle file, char* buffer, uint32_t count) override;
    UpdateFileHandle CreateNewFile(const std::string& path, uint32_t& error) override;
    uint32_t WriteToFile(UpdateFileHandle file, const char* data, uint32_t count) override;
    uint32_t CloseFile(UpdateFileHandle file) override;
    UpdateHashHandle StartSha256() override;
    bool AddToSha256(UpdateHashHandle hash, const char* data, uint32_t count) override;
    bool FinishSha256(UpdateHashHandle hash, Sha256Digest& digest) override;
    bool VerifyP256Signature(const P256PublicKey& key, const Sha256Digest& digest,
                             const P256Signature& signature) override;
    UpdateFileHandle OpenFileToStart(const std::string& path, uint32_t& error) override;
    uint32_t StartProgram(const std::string& path) override;
    void Pause(uint32_t milliseconds) override;
    int32_t ShowMessageBox(uintptr_t owner, const char* text, const char* caption, uint32_t style) override;
    void SetCursorShape(UpdateCursor cursor) override;
};
