#include "list_signature.h"

#include <algorithm>

#include "der_signature.h"
#include "download_check.h"
#include "download_wait.h"
#include "scoped_sha256.h"
#include "update_address.h"
#include "update_failure.h"

const char* const LOCAL_SIGNATURE_NAME = "UpdateList.sig";

namespace {

// Reads a settled file to the end of its settled size in pieces, hashing
// every byte and keeping the first `maxBytes` in `head`; closes the file.
// Returns whether every byte was read and hashed into `digest`.
bool ReadAndHash(UpdatePlatform& platform, const SettledFile& settled, uint32_t maxBytes, std::string& head,
                 Sha256Digest& digest) {
    ScopedUpdateFile file(platform, settled.file);
    head.clear();
    if (!file.Get()) return false;
    ScopedSha256 hash(platform, true);
    const uint64_t done = ReadInPieces(platform, file.Get(), settled.size, hash, [&](const char* data, uint32_t count) {
        if (head.size() < maxBytes) head.append(data, std::min<uint64_t>(count, maxBytes - head.size()));
        return true;
    });
    return hash.Finish(digest) && done == settled.size;
}

// Fetches the signature to `path` and reads it; false when the download
// fails or its limits end it, or the file is empty, longer than
// LIST_SIGNATURE_MAX_BYTES or not one well-formed DER signature.
bool FetchSignature(UpdatePlatform& platform, std::string_view host, const std::string& path, P256Signature& signature,
                    uint32_t limitSecondMs) {
    platform.RemoveFile(path);
    if (DownloadWithinLimits(platform, ListSignatureAddress(host), path, ListTransferLimits(limitSecondMs)) != 0)
        return false;
    SettledFile settled = WaitForSettledFile(platform, path);
    if (settled.size > LIST_SIGNATURE_MAX_BYTES) {
        // Too long to be a signature: closed without reading a byte.
        ScopedUpdateFile file(platform, settled.file);
        return false;
    }
    std::string der = ReadSettledFile(platform, settled, LIST_SIGNATURE_MAX_BYTES);
    return der.size() == settled.size && ParseDerSignature(der, signature);
}

}  // namespace

std::string ListSignatureAddress(std::string_view host) { return UpdateListAddress(host) + ".sig"; }

UpdateFailure ReadSignedList(UpdatePlatform& platform, std::string_view host, const std::string& directory,
                             const std::string& listPath, const P256PublicKey& key, uint32_t maxBytes,
                             std::string& list, uint32_t limitSecondMs) {
    Sha256Digest digest;
    std::string head;
    bool hashed = ReadAndHash(platform, WaitForSettledFile(platform, listPath), maxBytes, head, digest);
    list.clear();
    if (head.empty()) return {FAILURE_LIST_EMPTY, 0};
    P256Signature signature;
    if (!hashed || !FetchSignature(platform, host, directory + LOCAL_SIGNATURE_NAME, signature, limitSecondMs) ||
        !platform.VerifyP256Signature(key, digest, signature))
        return {FAILURE_LIST_SIGNATURE, 0};
    list = std::move(head);
    return {};
}
