#include "update_platform_win.h"

#include <windows.h>

#include <bcrypt.h>

#include "ansi_text_win.h"
#include "download_transfer_win.h"
#include "shell_open_win.h"
#include "system_library_win.h"

namespace {

HMODULE BCrypt;

template <typename Function>
Function BCryptEntry(const char* name) {
    return SystemFunction<Function>(LoadSystemLibraryOnce(BCrypt, L"bcrypt.dll"), name);
}

using OpenAlgorithmFunction = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using CreateHashFunction = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG,
                                             ULONG);
using HashDataFunction = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using FinishHashFunction = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
using DestroyHashFunction = NTSTATUS(WINAPI*)(BCRYPT_HASH_HANDLE);
using ImportKeyPairFunction = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, BCRYPT_KEY_HANDLE, LPCWSTR, BCRYPT_KEY_HANDLE*,
                                                PUCHAR, ULONG, ULONG);
using VerifySignatureFunction = NTSTATUS(WINAPI*)(BCRYPT_KEY_HANDLE, VOID*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
using DestroyKeyFunction = NTSTATUS(WINAPI*)(BCRYPT_KEY_HANDLE);

// The SHA-256 and ECDSA P-256 providers, each opened once and kept until
// the process ends.
BCRYPT_ALG_HANDLE Sha256Provider;
BCRYPT_ALG_HANDLE EcdsaP256Provider;

// A P-256 public key as CNG imports it: its blob header, then x and y.
struct EccPublicKeyBlob {
    BCRYPT_ECCKEY_BLOB header;
    UCHAR coordinates[2 * P256_NUMBER_BYTES];
};

uint32_t LastErrorOr(uint32_t fallback) {
    DWORD error = GetLastError();
    return error ? error : fallback;
}

HANDLE AsHandle(UpdateFileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

UpdateTransferHandle Win32UpdatePlatform::StartDownload(const std::string& address, const std::string& path,
                                                        int32_t& error) {
    return StartDownloadTransfer(address, path, error);
}

TransferProgress Win32UpdatePlatform::WaitForDownload(UpdateTransferHandle transfer, uint32_t milliseconds) {
    return WaitForDownloadTransfer(transfer, milliseconds);
}

void Win32UpdatePlatform::EndDownload(UpdateTransferHandle transfer) { EndDownloadTransfer(transfer); }

uint64_t Win32UpdatePlatform::Milliseconds() { return GetTickCount64(); }

uint32_t Win32UpdatePlatform::OpenAddress(const std::string& address) { return ShellOpen(address.c_str()); }

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

uint64_t Win32UpdatePlatform::FileSize(UpdateFileHandle file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(AsHandle(file), &size) || size.QuadPart < 0) return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

uint32_t Win32UpdatePlatform::ReadFromFile(UpdateFileHandle file, char* buffer, uint32_t count) {
    DWORD got = 0;
    return ReadFile(AsHandle(file), buffer, count, &got, nullptr) ? got : 0;
}

UpdateFileHandle Win32UpdatePlatform::CreateNewFile(const std::string& path, uint32_t& error) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return reinterpret_cast<UpdateFileHandle>(file);
    error = LastErrorOr(ERROR_CANNOT_MAKE);
    return 0;
}

uint32_t Win32UpdatePlatform::WriteToFile(UpdateFileHandle file, const char* data, uint32_t count) {
    while (count > 0) {
        DWORD written = 0;
        if (!WriteFile(AsHandle(file), data, count, &written, nullptr) || written == 0)
            return LastErrorOr(ERROR_WRITE_FAULT);
        data += written;
        count -= written;
    }
    return 0;
}

uint32_t Win32UpdatePlatform::CloseFile(UpdateFileHandle file) {
    return CloseHandle(AsHandle(file)) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

UpdateHashHandle Win32UpdatePlatform::StartSha256() {
    auto openAlgorithm = BCryptEntry<OpenAlgorithmFunction>("BCryptOpenAlgorithmProvider");
    auto createHash = BCryptEntry<CreateHashFunction>("BCryptCreateHash");
    if (!openAlgorithm || !createHash) return 0;
    if (!Sha256Provider && openAlgorithm(&Sha256Provider, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) {
        Sha256Provider = nullptr;
        return 0;
    }
    // The system keeps the hash object itself.
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (createHash(Sha256Provider, &hash, nullptr, 0, nullptr, 0, 0) < 0) return 0;
    return reinterpret_cast<UpdateHashHandle>(hash);
}

bool Win32UpdatePlatform::AddToSha256(UpdateHashHandle hash, const char* data, uint32_t count) {
    auto hashData = BCryptEntry<HashDataFunction>("BCryptHashData");
    return hashData && hashData(reinterpret_cast<BCRYPT_HASH_HANDLE>(hash),
                                reinterpret_cast<PUCHAR>(const_cast<char*>(data)), count, 0) >= 0;
}

bool Win32UpdatePlatform::FinishSha256(UpdateHashHandle hash, Sha256Digest& digest) {
    auto finishHash = BCryptEntry<FinishHashFunction>("BCryptFinishHash");
    auto destroyHash = BCryptEntry<DestroyHashFunction>("BCryptDestroyHash");
    auto handle = reinterpret_cast<BCRYPT_HASH_HANDLE>(hash);
    bool finished = finishHash && finishHash(handle, digest.data(), static_cast<ULONG>(digest.size()), 0) >= 0;
    if (destroyHash) destroyHash(handle);
    return finished;
}

bool Win32UpdatePlatform::VerifyP256Signature(const P256PublicKey& key, const Sha256Digest& digest,
                                              const P256Signature& signature) {
    auto openAlgorithm = BCryptEntry<OpenAlgorithmFunction>("BCryptOpenAlgorithmProvider");
    auto importKey = BCryptEntry<ImportKeyPairFunction>("BCryptImportKeyPair");
    auto verify = BCryptEntry<VerifySignatureFunction>("BCryptVerifySignature");
    auto destroyKey = BCryptEntry<DestroyKeyFunction>("BCryptDestroyKey");
    if (!openAlgorithm || !importKey || !verify || !destroyKey) return false;
    if (!EcdsaP256Provider && openAlgorithm(&EcdsaP256Provider, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) < 0) {
        EcdsaP256Provider = nullptr;
        return false;
    }
    EccPublicKeyBlob blob = {};
    blob.header.dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    blob.header.cbKey = P256_NUMBER_BYTES;
    CopyMemory(blob.coordinates, key.data(), key.size());
    // A key that is no point of the curve is refused here.
    BCRYPT_KEY_HANDLE publicKey = nullptr;
    if (importKey(EcdsaP256Provider, nullptr, BCRYPT_ECCPUBLIC_BLOB, &publicKey, reinterpret_cast<PUCHAR>(&blob),
                  sizeof blob, 0) < 0)
        return false;
    // The verifier only reads the digest and the signature.
    NTSTATUS status = verify(publicKey, nullptr, const_cast<PUCHAR>(digest.data()), static_cast<ULONG>(digest.size()),
                             const_cast<PUCHAR>(signature.data()), static_cast<ULONG>(signature.size()), 0);
    destroyKey(publicKey);
    // Only success counts; STATUS_INVALID_SIGNATURE and every other status
    // is a signature that does not verify.
    return status == 0;
}

UpdateFileHandle Win32UpdatePlatform::OpenFileToStart(const std::string& path, uint32_t& error) {
    // Without FILE_SHARE_WRITE and FILE_SHARE_DELETE no other handle may
    // write the file, and it can be neither renamed nor deleted; starting it
    // only reads it, which FILE_SHARE_READ allows.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return reinterpret_cast<UpdateFileHandle>(file);
    error = LastErrorOr(ERROR_SHARING_VIOLATION);
    return 0;
}

uint32_t Win32UpdatePlatform::StartProgram(const std::string& path) {
    const std::u16string program = WidenAnsi(path);
    if (program.empty()) return LastErrorOr(ERROR_INVALID_NAME);

    // The full path names the program, so no search takes place; the quoted
    // path as the command line gives it its own name as its first argument
    // even where the path holds spaces.
    std::u16string commandLine = u"\"" + program + u"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(Wide(program), reinterpret_cast<wchar_t*>(&commandLine[0]), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return LastErrorOr(ERROR_INVALID_PARAMETER);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

void Win32UpdatePlatform::Pause(uint32_t milliseconds) { Sleep(milliseconds); }

int32_t Win32UpdatePlatform::ShowMessageBox(uintptr_t owner, const char* text, const char* caption, uint32_t style) {
    return MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, style);
}

void Win32UpdatePlatform::SetCursorShape(UpdateCursor cursor) {
    SetCursor(LoadCursor(nullptr, cursor == UpdateCursor::Wait ? IDC_WAIT : IDC_ARROW));
}
