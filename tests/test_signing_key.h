// A maker's key pair for the tests: a fresh ECDSA P-256 key made by
// OpenSSL's libcrypto, which signs as "openssl dgst -sha256 -sign" does
// (SHA-256, DER signature) and gives its public key as the program carries
// it (x then y).
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "update_platform.h"

class TestSigningKey {
public:
    TestSigningKey() : key_(EVP_EC_gen("P-256")) {
        if (!key_) throw std::runtime_error("no P-256 key from OpenSSL");
    }
    TestSigningKey(const TestSigningKey&) = delete;
    TestSigningKey& operator=(const TestSigningKey&) = delete;
    ~TestSigningKey() { EVP_PKEY_free(key_); }

    // The last 64 bytes of the SubjectPublicKeyInfo are the point's x and y.
    P256PublicKey PublicKey() const {
        unsigned char* der = nullptr;
        int length = i2d_PUBKEY(key_, &der);
        P256PublicKey key{};
        if (length < static_cast<int>(key.size())) throw std::runtime_error("no public key from OpenSSL");
        std::copy(der + length - key.size(), der + length, key.begin());
        OPENSSL_free(der);
        return key;
    }

    // The DER signature of `data`; a new one each time (random nonce).
    std::string Sign(const std::string& data) const {
        EVP_MD_CTX* context = EVP_MD_CTX_new();
        unsigned char signature[80];
        size_t length = sizeof signature;
        bool signed_ = context && EVP_DigestSignInit(context, nullptr, EVP_sha256(), nullptr, key_) == 1 &&
                       EVP_DigestSign(context, signature, &length, reinterpret_cast<const unsigned char*>(data.data()),
                                      data.size()) == 1;
        EVP_MD_CTX_free(context);
        if (!signed_) throw std::runtime_error("OpenSSL did not sign");
        return std::string(reinterpret_cast<char*>(signature), length);
    }

    // Signs `data` until the signature has the form `wanted` asks for (at
    // most `attempts` times); "" when none came.
    std::string SignUntil(const std::string& data, const std::function<bool(const std::string&)>& wanted,
                          int attempts = 20000) const {
        for (int i = 0; i < attempts; ++i) {
            std::string signature = Sign(data);
            if (wanted(signature)) return signature;
        }
        return {};
    }

private:
    EVP_PKEY* key_;
};
