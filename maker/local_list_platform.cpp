#include "local_list_platform.h"

#include <sys/stat.h>

#include "list_signature.h"
#include "openssl_crypto.h"
#include "update_address.h"

namespace {

// What a download beyond the list returns: the maker has no such file here,
// and the program's answer to the list is complete once it asks for one.
constexpr int32_t NOT_FETCHED = 1;
// The system's "access denied", for the steps that would change files.
constexpr uint32_t NOT_DONE = 5;
// The shell's answer for an address handed to the browser; more than 32 is
// success.
constexpr uint32_t OPENED = 42;

}  // namespace

LocalListPlatform::LocalListPlatform(std::string host, std::string listFile, std::string signatureFile)
    : host_(std::move(host)), listFile_(std::move(listFile)), signatureFile_(std::move(signatureFile)) {}

LocalListPlatform::~LocalListPlatform() {
    for (const auto& open : files_) {
        if (open.second) std::fclose(open.second);
    }
}

UpdateTransferHandle LocalListPlatform::StartDownload(const std::string& address, const std::string& path,
                                                      int32_t& /*error*/) {
    int32_t result = NOT_FETCHED;
    if (address == UpdateListAddress(host_)) {
        sources_[path] = listFile_;
        result = 0;
    } else if (address == ListSignatureAddress(host_)) {
        sources_[path] = signatureFile_;
        result = 0;
    } else if (!Launched()) {
        fetched = address;
    }
    transfers_.push_back(result);
    return transfers_.size();
}

TransferProgress LocalListPlatform::WaitForDownload(UpdateTransferHandle transfer, uint32_t /*milliseconds*/) {
    TransferProgress progress;
    progress.finished = true;
    progress.result = transfers_.at(transfer - 1);
    return progress;
}

void LocalListPlatform::EndDownload(UpdateTransferHandle /*transfer*/) {}

uint32_t LocalListPlatform::OpenAddress(const std::string& address) {
    if (!Launched()) opened = address;
    return OPENED;
}

uint32_t LocalListPlatform::TemporaryDirectory(std::string& directory) {
    directory = "C:\\Temp\\";
    return 0;
}

void LocalListPlatform::RemoveFile(const std::string& path) { sources_.erase(path); }

UpdateFileHandle LocalListPlatform::OpenFileForPolling(const std::string& path) {
    std::FILE* file = nullptr;
    auto source = sources_.find(path);
    if (source != sources_.end()) {
        file = std::fopen(source->second.c_str(), "rb");
        if (!file) return 0;
    }
    files_[nextFile_] = file;
    return nextFile_++;
}

uint64_t LocalListPlatform::FileSize(UpdateFileHandle file) {
    std::FILE* open = files_.at(file);
    struct stat status {};
    if (!open || fstat(fileno(open), &status) != 0 || status.st_size < 0) return 0;
    return static_cast<uint64_t>(status.st_size);
}

uint32_t LocalListPlatform::ReadFromFile(UpdateFileHandle file, char* buffer, uint32_t count) {
    std::FILE* open = files_.at(file);
    return open ? static_cast<uint32_t>(std::fread(buffer, 1, count, open)) : 0;
}

UpdateFileHandle LocalListPlatform::CreateNewFile(const std::string&, uint32_t& error) {
    error = NOT_DONE;
    return 0;
}

uint32_t LocalListPlatform::WriteToFile(UpdateFileHandle, const char*, uint32_t) { return NOT_DONE; }

uint32_t LocalListPlatform::CloseFile(UpdateFileHandle file) {
    auto open = files_.find(file);
    if (open == files_.end()) return NOT_DONE;
    if (open->second) std::fclose(open->second);
    files_.erase(open);
    return 0;
}

UpdateHashHandle LocalListPlatform::StartSha256() { return OpenSslStartSha256(); }

bool LocalListPlatform::AddToSha256(UpdateHashHandle hash, const char* data, uint32_t count) {
    return OpenSslAddToSha256(hash, data, count);
}

bool LocalListPlatform::FinishSha256(UpdateHashHandle hash, Sha256Digest& digest) {
    return OpenSslFinishSha256(hash, digest);
}

bool LocalListPlatform::VerifyP256Signature(const P256PublicKey& key, const Sha256Digest& digest,
                                            const P256Signature& signature) {
    verified = OpenSslVerifyP256Signature(key, digest, signature);
    return verified;
}

UpdateFileHandle LocalListPlatform::OpenFileToStart(const std::string&, uint32_t& error) {
    error = NOT_DONE;
    return 0;
}

uint32_t LocalListPlatform::StartProgram(const std::string&) { return NOT_DONE; }

// The maker's files do not change while they are read: no waiting.
void LocalListPlatform::Pause(uint32_t) {}

int32_t LocalListPlatform::ShowMessageBox(uintptr_t, const char* text, const char* caption, uint32_t style) {
    if (!Launched()) boxes.push_back(Box{text, caption});
    // Yes to the upgrade question, to see what the program then does.
    return (style & UPDATE_MB_YESNO) ? UPDATE_IDYES : 1;
}

void LocalListPlatform::SetCursorShape(UpdateCursor) {}
