// A SHA-256 computation of the update platform, ended when it goes out of
// scope, also when an exception passes.
#pragma once

#include <cstdint>

#include "update_digests.h"
#include "update_platform.h"

class ScopedSha256 {
public:
    // Nothing is started (and the system's hashing not loaded) unless wanted.
    ScopedSha256(UpdatePlatform& platform, bool wanted)
        : platform_(platform), hash_(wanted ? platform.StartSha256() : 0) {}
    ScopedSha256(const ScopedSha256&) = delete;
    ScopedSha256& operator=(const ScopedSha256&) = delete;
    ~ScopedSha256() {
        Sha256Digest ignored;
        if (hash_) platform_.FinishSha256(hash_, ignored);
    }

    void Add(const char* data, uint32_t count) {
        if (hash_ && !failed_ && !platform_.AddToSha256(hash_, data, count)) failed_ = true;
    }
    // Ends the computation; whether every piece was hashed and `digest`
    // holds the result.
    bool Finish(Sha256Digest& digest) {
        UpdateHashHandle hash = hash_;
        hash_ = 0;
        return hash && platform_.FinishSha256(hash, digest) && !failed_;
    }
    // Whether the digest could be computed and equals `expected`.
    bool FinishMatches(const Sha256Digest& expected) {
        Sha256Digest digest;
        return Finish(digest) && digest == expected;
    }

private:
    UpdatePlatform& platform_;
    UpdateHashHandle hash_;
    bool failed_ = false;  // a piece could not be added
};
