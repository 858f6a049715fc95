// The update list signed by the maker: the DER signature of the list's exact
// bytes (SHA-256, ECDSA P-256) lies beside it on the server, and a build
// that carries the maker's public key takes nothing from a list that it
// does not verify.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "transfer_limits.h"
#include "update_failure.h"
#include "update_platform.h"

// The name of the local copy of the signature in the temporary directory.
extern const char* const LOCAL_SIGNATURE_NAME;  // "UpdateList.sig"

// At most this many bytes of the signature file are read; a longer file is
// no signature. A DER signature on P-256 has at most 72.
constexpr uint32_t LIST_SIGNATURE_MAX_BYTES = 256;

// The list's address + ".sig".
std::string ListSignatureAddress(std::string_view host);

// Reads the list that has been downloaded to `listPath`, verifying it with
// `key`: waits for the list file, hashes all of it in pieces (however long;
// only its first `maxBytes` are kept in `list`), fetches the signature into
// `directory` + LOCAL_SIGNATURE_NAME (deleting an old one first) and has the
// platform verify it. The signature's download is held to the list's time
// limits, counted in seconds of `limitSecondMs`. Returns no failure when the
// list is verified; FAILURE_LIST_EMPTY when it has no bytes (nothing else is
// fetched); and FAILURE_LIST_SIGNATURE when the signature is missing (its
// download failed or was ended), empty, malformed or not valid, or the list
// could not be read and hashed whole; either with code 0. `list` is empty
// unless the list is verified.
UpdateFailure ReadSignedList(UpdatePlatform& platform, std::string_view host, const std::string& directory,
                             const std::string& listPath, const P256PublicKey& key, uint32_t maxBytes,
                             std::string& list, uint32_t limitSecondMs = LIMIT_SECOND_MS);
