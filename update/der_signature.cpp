#include "der_signature.h"

#include <cstdint>

namespace {

constexpr uint8_t DER_SEQUENCE = 0x30;
constexpr uint8_t DER_INTEGER = 0x02;
// A length byte with this bit set is the long form, which DER uses only for
// 128 bytes or more; a signature of two 32-byte numbers is at most 70.
constexpr uint8_t DER_LONG_LENGTH = 0x80;

uint8_t Byte(std::string_view der, size_t i) { return static_cast<uint8_t>(der[i]); }

// Reads the INTEGER at `at` into `number` (P256_NUMBER_BYTES, right-aligned)
// and moves `at` past it; false when it is not a positive, minimally encoded
// INTEGER of at most 32 bytes inside `der`.
bool ReadPositiveInteger(std::string_view der, size_t& at, uint8_t* number) {
    if (der.size() - at < 2 || Byte(der, at) != DER_INTEGER) return false;
    size_t length = Byte(der, at + 1);
    if (length == 0 || (length & DER_LONG_LENGTH) || length > der.size() - at - 2) return false;
    size_t start = at + 2;
    at = start + length;
    // A set top bit is a negative number.
    if (Byte(der, start) & 0x80) return false;
    // A leading zero is there only to clear the sign bit of the next byte.
    if (Byte(der, start) == 0) {
        if (length == 1 || !(Byte(der, start + 1) & 0x80)) return false;
        ++start;
        --length;
    }
    if (length > P256_NUMBER_BYTES) return false;
    size_t padding = P256_NUMBER_BYTES - length;
    for (size_t i = 0; i < padding; ++i) number[i] = 0;
    for (size_t i = 0; i < length; ++i) number[padding + i] = Byte(der, start + i);
    return true;
}

}  // namespace

bool ParseDerSignature(std::string_view der, P256Signature& signature) {
    if (der.size() < 2 || Byte(der, 0) != DER_SEQUENCE) return false;
    size_t length = Byte(der, 1);
    if ((length & DER_LONG_LENGTH) || length != der.size() - 2) return false;
    size_t at = 2;
    return ReadPositiveInteger(der, at, signature.data()) &&
           ReadPositiveInteger(der, at, signature.data() + P256_NUMBER_BYTES) && at == der.size();
}
