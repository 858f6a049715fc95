// The update platform as the maker's list check needs it: the program's own
// update check runs over it, "downloading" the list and its signature from
// the maker's files. SHA-256 and ECDSA are OpenSSL's. Every other step is
// recorded instead of done: nothing is written, deleted, opened in a
// browser or started, and no other address is fetched.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "update_platform.h"

struct LocalListPlatform : UpdatePlatform {
    // The list's and the signature's addresses on `host` stand for these
    // files.
    LocalListPlatform(std::string host, std::string listFile, std::string signatureFile);
    ~LocalListPlatform() override;
    LocalListPlatform(const LocalListPlatform&) = delete;
    LocalListPlatform& operator=(const LocalListPlatform&) = delete;

    struct Box {
        std::string text;
        std::string caption;
    };

    // The record, up to the program's first step beyond the list: opening
    // an address in the browser or fetching a download. What the program
    // shows after that (a download that is not there) is not its answer to
    // the list, and is not recorded.
    std::vector<Box> boxes;
    std::string opened;     // the address handed to the browser
    std::string fetched;    // the address of a download (method 4)
    bool verified = false;  // a signature verified the list

    bool Launched() const { return !opened.empty() || !fetched.empty(); }

    // A "download" finishes at once: the maker's file stands in the path's
    // place, or it fails as a download that is not there.
    UpdateTransferHandle StartDownload(const std::string& address, const std::string& path, int32_t& error) override;
    TransferProgress WaitForDownload(UpdateTransferHandle transfer, uint32_t milliseconds) override;
    void EndDownload(UpdateTransferHandle transfer) override;
    uint64_t Milliseconds() override { return 0; }
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

private:
    std::string host_;
    std::string listFile_;
    std::string signatureFile_;
    // The program's paths in its temporary directory, and the maker's file
    // that each now holds; a path without one is an empty file.
    std::map<std::string, std::string> sources_;
    // Open files; a null FILE is an empty file.
    std::map<UpdateFileHandle, std::FILE*> files_;
    UpdateFileHandle nextFile_ = 1;
    // The result of each download started, by its handle less one.
    std::vector<int32_t> transfers_;
};
