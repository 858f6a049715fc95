#include <gtest/gtest.h>

#include <string>

#include "der_signature.h"

using namespace std::string_literals;

namespace {

std::string Tagged(char tag, const std::string& content) {
    return std::string(1, tag) + static_cast<char>(content.size()) + content;
}
std::string Integer(const std::string& content) { return Tagged('\x02', content); }
std::string Sequence(const std::string& content) { return Tagged('\x30', content); }

// Numbers of 32 bytes with the top bit clear and set.
const std::string LOW = "\x11"s + std::string(31, '\x22');
const std::string HIGH = "\x80"s + std::string(30, '\x33') + "\x44"s;
const std::string VALID = Sequence(Integer(LOW) + Integer("\x00"s + HIGH));

// The number as the signature's half: right-aligned in 32 bytes.
std::string Half(const std::string& value) { return std::string(32 - value.size(), '\0') + value; }

std::string Halves(const P256Signature& signature) {
    return std::string(reinterpret_cast<const char*>(signature.data()), signature.size());
}

}  // namespace

TEST(ParseDerSignature, WellFormedSignaturesGiveRAndSRightAligned) {
    struct Case {
        const char* what;
        std::string der;
        std::string r, s;  // the values, without leading zeros
    };
    const Case cases[] = {
        {"both 32 bytes", Sequence(Integer(LOW) + Integer(LOW)), LOW, LOW},
        {"s with a leading zero", VALID, LOW, HIGH},
        {"r with a leading zero", Sequence(Integer("\x00"s + HIGH) + Integer(LOW)), HIGH, LOW},
        {"both with a leading zero, 72 bytes", Sequence(Integer("\x00"s + HIGH) + Integer("\x00"s + HIGH)), HIGH, HIGH},
        {"r of 31 bytes", Sequence(Integer(LOW.substr(1)) + Integer(LOW)), LOW.substr(1), LOW},
        {"s of one byte", Sequence(Integer("\x01"s) + Integer("\x7f"s)), "\x01"s, "\x7f"s},
        {"a short number with a leading zero", Sequence(Integer("\x00\x80"s) + Integer("\x00\xff\x01"s)), "\x80"s,
         "\xff\x01"s},
    };
    for (const Case& c : cases) {
        P256Signature signature;
        signature.fill(0xEE);
        ASSERT_TRUE(ParseDerSignature(c.der, signature)) << c.what;
        EXPECT_EQ(Halves(signature), Half(c.r) + Half(c.s)) << c.what;
    }
}

TEST(ParseDerSignature, AnythingElseIsMalformed) {
    std::string longerSequence = VALID;
    ++longerSequence[1];
    std::string shorterSequence = VALID;
    --shorterSequence[1];
    std::string longerR = VALID;
    ++longerR[3];
    std::string shorterR = VALID;
    --shorterR[3];
    std::string longerS = VALID;
    ++longerS[3 + 1 + 32 + 1];
    std::string shorterS = VALID;
    --shorterS[3 + 1 + 32 + 1];
    const std::string content = Integer(LOW) + Integer("\x00"s + HIGH);

    const std::pair<const char*, std::string> cases[] = {
        {"nothing", ""},
        {"a tag alone", "\x30"s},
        {"an empty sequence", "\x30\x00"s},
        {"the sequence's length one too long", longerSequence},
        {"the sequence's length one too short", shorterSequence},
        {"the signature cut by one byte", VALID.substr(0, VALID.size() - 1)},
        {"r's length one too long", longerR},
        {"r's length one too short", shorterR},
        {"s's length one too long", longerS},
        {"s's length one too short", shorterS},
        {"a negative r", Sequence(Integer(HIGH) + Integer(LOW))},
        {"a negative s", Sequence(Integer(LOW) + Integer(HIGH))},
        {"r of 0", Sequence(Integer("\x00"s) + Integer(LOW))},
        {"an INTEGER without content", Sequence(Integer("") + Integer(LOW))},
        {"a leading zero that is not needed", Sequence(Integer("\x00"s + LOW) + Integer(LOW))},
        {"two leading zeros", Sequence(Integer("\x00\x00"s + HIGH) + Integer(LOW))},
        {"r of 33 bytes", Sequence(Integer("\x01"s + LOW) + Integer(LOW))},
        {"s of 33 bytes after its zero", Sequence(Integer(LOW) + Integer("\x00\x80"s + LOW))},
        {"a SET for the SEQUENCE", Tagged('\x31', content)},
        {"a context tag for the SEQUENCE", Tagged('\xa0', content)},
        {"a BIT STRING for r", Sequence(Tagged('\x03', LOW) + Integer(LOW))},
        {"an OCTET STRING for s", Sequence(Integer(LOW) + Tagged('\x04', LOW))},
        {"a byte after the signature", VALID + "\x00"s},
        {"two signatures", VALID + VALID},
        {"a third INTEGER", Sequence(content + Integer("\x01"s))},
        {"r alone", Sequence(Integer(LOW))},
        {"the long form of a short length", "\x30\x81"s + static_cast<char>(content.size()) + content},
        {"the long form of an INTEGER's length", Sequence("\x02\x81\x20"s + LOW + Integer(LOW))},
        {"an indefinite length", "\x30\x80"s + content + "\x00\x00"s},
        {"a signature followed by 10 MB", VALID + std::string(10 << 20, '\0')},
    };
    for (const auto& [what, der] : cases) {
        P256Signature signature;
        EXPECT_FALSE(ParseDerSignature(der, signature)) << what;
    }
}
