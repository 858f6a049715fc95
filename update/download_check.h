// Checking a method-4 download before it is started: every byte read, at
// least the size that the list gives, and, when the list gives one, the
// SHA-256 that the maker published. The same pass copies the bytes to the
// saved file piece by piece, so a download of any size is never held whole.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "scoped_sha256.h"
#include "update_failure.h"
#include "update_platform.h"

// The most bytes read or written at once.
constexpr uint32_t DOWNLOAD_PIECE_BYTES = 64 * 1024;

// Reads `file` (0: a file that could not be opened, which gives no bytes)
// from its current position in pieces until `size` bytes are read or a read
// gives none, adding each piece to `hash` and handing it to
// `usePiece(data, count)`, which returns false to stop. Returns how many
// bytes were read.
template <typename UsePiece>
uint64_t ReadInPieces(UpdatePlatform& platform, UpdateFileHandle file, uint64_t size, ScopedSha256& hash,
                      UsePiece usePiece) {
    std::vector<char> piece(DOWNLOAD_PIECE_BYTES);
    uint64_t done = 0;
    while (done < size) {
        const uint64_t left = size - done;
        const uint32_t want = left < DOWNLOAD_PIECE_BYTES ? static_cast<uint32_t>(left) : DOWNLOAD_PIECE_BYTES;
        const uint32_t got = file ? platform.ReadFromFile(file, piece.data(), want) : 0;
        if (got == 0) break;
        done += got;
        hash.Add(piece.data(), got);
        if (!usePiece(piece.data(), got)) break;
    }
    return done;
}

// Reads the list's SHA-256 field: exactly 64 hexadecimal digits, in either
// case. Returns whether it is one.
bool ParseSha256(std::string_view text, Sha256Digest& digest);

// A count of bytes as a message's code; counts beyond its range show as the
// largest code.
int32_t ByteCountCode(uint64_t count);

// Reads `source` (0: a file that could not be opened, which gives no bytes)
// from its current position until `sizeOnDisk` bytes are read, and writes each piece to `target` unless it is 0. Fails
// with FAILURE_INCOMPLETE (code: the bytes read) when a read stops short of `sizeOnDisk` or fewer bytes than
// `expectedSize` were read; with FAILURE_HASH when `expectedHash` is given and the bytes do not have that SHA-256, or
// it cannot be computed; with FAILURE_SAVE (code: the system's) when a write fails.
UpdateFailure CheckDownload(UpdatePlatform& platform, UpdateFileHandle source, uint64_t sizeOnDisk,
                            int32_t expectedSize, const Sha256Digest* expectedHash, UpdateFileHandle target);
