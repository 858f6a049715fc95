// The DER signature reader on arbitrary bytes: no crash, and it takes
// exactly the canonical encodings: whatever it accepts is what an encoder of
// the two numbers writes, and whatever such an encoder writes it reads back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "der_signature.h"

namespace {

void Require(bool holds) {
    if (!holds) std::abort();
}

// The minimal DER INTEGER of a 32-byte big-endian unsigned number.
std::string EncodeInteger(const uint8_t* number) {
    size_t first = 0;
    while (first < P256_NUMBER_BYTES - 1 && number[first] == 0) ++first;
    std::string content;
    if (number[first] & 0x80) content += '\0';
    content.append(reinterpret_cast<const char*>(number + first), P256_NUMBER_BYTES - first);
    return std::string(1, '\x02') + static_cast<char>(content.size()) + content;
}

std::string Encode(const P256Signature& signature) {
    std::string content = EncodeInteger(signature.data()) + EncodeInteger(signature.data() + P256_NUMBER_BYTES);
    return std::string(1, '\x30') + static_cast<char>(content.size()) + content;
}

bool IsZero(const uint8_t* number) {
    for (uint32_t i = 0; i < P256_NUMBER_BYTES; ++i) {
        if (number[i]) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    std::string_view der(reinterpret_cast<const char*>(data), size);
    P256Signature signature;
    if (ParseDerSignature(der, signature)) {
        Require(size <= 72);
        Require(!IsZero(signature.data()) && !IsZero(signature.data() + P256_NUMBER_BYTES));
        Require(Encode(signature) == der);
    }

    // The input's first 64 bytes as r and s: their encoding reads back as
    // them, unless one of them is 0, which is refused.
    if (size >= 2 * P256_NUMBER_BYTES) {
        P256Signature numbers;
        for (size_t i = 0; i < numbers.size(); ++i) numbers[i] = data[i];
        P256Signature read;
        bool zero = IsZero(numbers.data()) || IsZero(numbers.data() + P256_NUMBER_BYTES);
        Require(ParseDerSignature(Encode(numbers), read) == !zero);
        if (!zero) Require(read == numbers);
    }
    return 0;
}
