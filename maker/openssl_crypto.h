// SHA-256 and ECDSA P-256 verification by OpenSSL's libcrypto, in the shapes
// of the update platform: the Windows program fills those operations with
// CNG, the maker's list check and the native tests with these.
#pragma once

#include <cstdint>

#include "update_platform.h"

// A SHA-256 computation: 0 when OpenSSL cannot start one. Finishing writes
// the digest and ends the computation, also when it fails.
UpdateHashHandle OpenSslStartSha256();
bool OpenSslAddToSha256(UpdateHashHandle hash, const char* data, uint32_t count);
bool OpenSslFinishSha256(UpdateHashHandle hash, Sha256Digest& digest);

// Whether `signature` (r and s) is a valid ECDSA P-256 signature by `key`
// (x and y) of the SHA-256 `digest`. False when the key is not a point of
// the curve, as the system's import of it fails then.
bool OpenSslVerifyP256Signature(const P256PublicKey& key, const Sha256Digest& digest, const P256Signature& signature);
