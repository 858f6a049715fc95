#include "version_number.h"

#include "read_number.h"
#include "text_field.h"
#include "update_list.h"

uint32_t VersionNumber(std::string_view version) {
    uint32_t n = 0;
    for (int part = 1; part <= 4; ++part) {
        double value = ReadListDecimal(TextField(version, part, "."));
        // The sum is formed as a floating-point value so that a fractional
        // part rounds together with what came before (1.0.0.0 + 0.5 rounds
        // to even). Its low 32 bits are the new value.
        n = static_cast<uint32_t>(WholeNumberLow32(static_cast<double>(n) + value));
        if (part < 4) n *= 256u;  // unsigned: wraps modulo 2^32
    }
    return n;
}

bool IsNewerVersion(std::string_view offered, std::string_view current) {
    return VersionNumber(offered) > VersionNumber(current);
}
