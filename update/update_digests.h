// The fixed-size values of the update's cryptography: a SHA-256 digest and
// an ECDSA P-256 key and signature.
#pragma once

#include <array>
#include <cstdint>

constexpr uint32_t SHA256_DIGEST_BYTES = 32;
using Sha256Digest = std::array<uint8_t, SHA256_DIGEST_BYTES>;

// One coordinate or one half of a signature on the P-256 curve.
constexpr uint32_t P256_NUMBER_BYTES = 32;
// An ECDSA P-256 public key: its x and then its y coordinate, each
// big-endian.
using P256PublicKey = std::array<uint8_t, 2 * P256_NUMBER_BYTES>;
// An ECDSA P-256 signature: r and then s, each big-endian.
using P256Signature = std::array<uint8_t, 2 * P256_NUMBER_BYTES>;
