#include "openssl_crypto.h"

#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <vector>

UpdateHashHandle OpenSslStartSha256() {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    if (!context || EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(context);
        return 0;
    }
    return reinterpret_cast<UpdateHashHandle>(context);
}

bool OpenSslAddToSha256(UpdateHashHandle hash, const char* data, uint32_t count) {
    return EVP_DigestUpdate(reinterpret_cast<EVP_MD_CTX*>(hash), data, count) == 1;
}

bool OpenSslFinishSha256(UpdateHashHandle hash, Sha256Digest& digest) {
    auto* context = reinterpret_cast<EVP_MD_CTX*>(hash);
    unsigned int length = 0;
    const bool finished = EVP_DigestFinal_ex(context, digest.data(), &length) == 1 && length == SHA256_DIGEST_BYTES;
    EVP_MD_CTX_free(context);
    return finished;
}

bool OpenSslVerifyP256Signature(const P256PublicKey& key, const Sha256Digest& digest, const P256Signature& signature) {
    // The key as a SubjectPublicKeyInfo: the fixed P-256 header, then the
    // uncompressed point. Decoding it checks that the point is on the curve.
    static const uint8_t header[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x02, 0x01, 0x06,
                                     0x08, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};
    std::vector<uint8_t> spki(header, header + sizeof header);
    spki.insert(spki.end(), key.begin(), key.end());
    const uint8_t* cursor = spki.data();
    EVP_PKEY* publicKey = d2i_PUBKEY(nullptr, &cursor, static_cast<long>(spki.size()));

    // OpenSSL verifies the DER form: r and s are put back into it.
    ECDSA_SIG* sig = ECDSA_SIG_new();
    BIGNUM* r = BN_bin2bn(signature.data(), P256_NUMBER_BYTES, nullptr);
    BIGNUM* s = BN_bin2bn(signature.data() + P256_NUMBER_BYTES, P256_NUMBER_BYTES, nullptr);
    bool valid = false;
    if (publicKey && sig && r && s && ECDSA_SIG_set0(sig, r, s) == 1) {
        r = s = nullptr;  // owned by sig now
        unsigned char* der = nullptr;
        const int derLength = i2d_ECDSA_SIG(sig, &der);
        EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(publicKey, nullptr);
        valid = derLength > 0 && context && EVP_PKEY_verify_init(context) == 1 &&
                EVP_PKEY_verify(context, der, static_cast<size_t>(derLength), digest.data(), digest.size()) == 1;
        EVP_PKEY_CTX_free(context);
        OPENSSL_free(der);
    }
    BN_free(r);
    BN_free(s);
    ECDSA_SIG_free(sig);
    EVP_PKEY_free(publicKey);
    return valid;
}
