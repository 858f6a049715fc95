#include "download_check.h"

#include "scoped_sha256.h"

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int32_t ByteCountCode(uint64_t count) { return count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count); }

bool ParseSha256(std::string_view text, Sha256Digest& digest) {
    if (text.size() != 2 * SHA256_DIGEST_BYTES) return false;
    for (uint32_t i = 0; i < SHA256_DIGEST_BYTES; ++i) {
        int high = HexDigitValue(text[2 * i]);
        int low = HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        digest[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

UpdateFailure CheckDownload(UpdatePlatform& platform, UpdateFileHandle source, uint64_t sizeOnDisk,
                            int32_t expectedSize, const Sha256Digest* expectedHash, UpdateFileHandle target) {
    ScopedSha256 hash(platform, expectedHash != nullptr);
    uint32_t writeError = 0;
    const uint64_t done = ReadInPieces(platform, source, sizeOnDisk, hash, [&](const char* data, uint32_t count) {
        if (target) writeError = platform.WriteToFile(target, data, count);
        return writeError == 0;
    });
    if (writeError) return {FAILURE_SAVE, static_cast<int32_t>(writeError)};
    // A read that failed part-way, or a file shorter than the list says:
    // the bytes that are missing are never made up.
    if (done < sizeOnDisk || static_cast<int64_t>(done) < static_cast<int64_t>(expectedSize))
        return {FAILURE_INCOMPLETE, ByteCountCode(done)};
    if (expectedHash && !hash.FinishMatches(*expectedHash)) return {FAILURE_HASH, 0};
    return {};
}
