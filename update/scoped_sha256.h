// A SHA-256 computation of the update platform, ended when it goes out of
// scope, also when an exception passes.
#pragma once

#include <array>
#include <cstdint>

#include "update_platform.h"

using Sha256Digest = std::array<uint8_t, SHA256_DIGEST_BYTES>;

class ScopedSha256 {
public:
    // Nothing is started (and the system's hashing not loaded) unless wanted.
    ScopedSha256(UpdatePlatform& platform, bool wanted)
        : platform_(platform), hash_(wanted ? platform.StartSha256() : 0) {}
    ScopedSha256(const ScopedSha256&) = delete;
    ScopedSha256& operator=(const ScopedSha256&) = delete;
    ~ScopedSha256() {
        uint8_t ignored[SHA256_DIGEST_BYTES];
        if (hash_) platform_.FinishSha256(hash_, ignored);
    }

    void Add(const char* data, uint32_t count) {
        if (hash_ && !failed_ && !platform_.AddToSha256(hash_, data, count)) failed_ = true;
    }
    // Ends the computation; whether every piece was hashed and `digest`
    // holds the result.
    bool Finish(uint8_t (&digest)[SHA256_DIGEST_BYTES]) {
        UpdateHashHandle hash = hash_;
        hash_ = 0;
        return hash && platform_.FinishSha256(hash, digest) && !failed_;
    }
    // Whether the digest could be computed and equals `expected`.
    bool Finish(const Sha256Digest& expected) {
        uint8_t digest[SHA256_DIGEST_BYTES];
        if (!Finish(digest)) return false;
        for (uint32_t i = 0; i < SHA256_DIGEST_BYTES; ++i) {
            if (digest[i] != expected[i]) return false;
        }
        return true;
    }

private:
    UpdatePlatform& platform_;
    UpdateHashHandle hash_;
    bool failed_ = false;  // a piece could not be added
};
