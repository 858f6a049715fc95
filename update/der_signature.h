// Reading an ECDSA signature in the DER form that OpenSSL and most signing
// tools write, for the system's verifier, which takes r and s side by side.
#pragma once

#include <string_view>

#include "update_digests.h"

// Reads `der` as exactly one DER SEQUENCE of two INTEGERs, r and s, with
// nothing after it, and gives them as 32 big-endian bytes each. Each INTEGER
// must be positive (not 0, no sign bit), minimally encoded (one leading zero
// only when the next byte has its top bit set) and fit 32 bytes after that
// zero; lengths are in the short form, the only one DER allows at these
// sizes. Returns false, leaving `signature` unspecified, for anything else.
bool ParseDerSignature(std::string_view der, P256Signature& signature);
