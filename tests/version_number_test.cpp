#include <gtest/gtest.h>

#include <string>

#include "version_number.h"

TEST(VersionNumber, Values) {
    struct Case {
        std::string text;
        uint32_t value;
    };
    const Case cases[] = {
        {"1.10.1", 0x010A0100u},
        {"1.10", 0x010A0000u},
        {"1.10.0.0", 0x010A0000u},
        {"1.2.3.4", 0x01020304u},
        {"1.2.3.4.5", 0x01020304u},  // a fifth part is ignored
        {"1.2.3.4.999.x", 0x01020304u},
        {"255.255.255.255", 0xFFFFFFFFu},
        {"1.256", 0x02000000u},  // carries into the part before
        {"0.0.0.256", 0x00000100u},
        {"0.0.1.65535", 0x000100FFu},        // 1*256 + 65535
        {"256", 0x00000000u},                // 256 << 24 wraps to 0
        {"4294967296.1", 0x00010000u},       // the first part wraps to 0 before shifting
        {"0.0.0.99999999999", 1215752191u},  // modulo 2^32
        {"-1", 0xFF000000u},                 // -1 is 2^32 - 1, then shifted
        {"1.-1", 0x00FF0000u},               // 256 - 1
        {"", 0u},
        {"abc", 0u},
        {"v1.10", 0x000A0000u},    // a part without a number is 0
        {" 1. 10", 0x010A0000u},   // blanks before a part are skipped
        {"1 .10 x", 0x010A0000u},  // text after a part's number is ignored
        {"1.11\r", 0x010B0000u},
        {"&H1.10", 0x000A0000u},  // no "&H" forms
        {"1e2.10", 0x010A0000u},  // no exponents
        {"+2.+3", 0x02030000u},
        {std::string(400, '9') + ".1", 0x00010000u},  // a part beyond any number restarts at 0
    };
    for (const Case& c : cases) EXPECT_EQ(VersionNumber(c.text), c.value) << c.text;
}

TEST(IsNewerVersion, AgainstTheRunningVersion) {
    struct Case {
        const char* offered;
        bool newer;
    };
    const Case cases[] = {
        {"1.10", false},
        {"1.10.1", false},
        {"1.10.1.0", false},
        {"1.9.9", false},
        {"1.10.2", true},
        {"1.11", true},
        {"2", true},
        {"1.10.1.1", true},
        {"abc", false},
        {"", false},
        {"1.9.300", true},  // 1.9.300 carries to 1.10.44
        // Unsigned: a first part of 128 or more is not a negative number.
        {"200.0", true},
        {"255.255.255.255", true},
        {"257.10.1", false},  // wraps to 1.10.1
    };
    for (const Case& c : cases) EXPECT_EQ(IsNewerVersion(c.offered, "1.10.1"), c.newer) << c.offered;
}
