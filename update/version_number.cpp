#include "version_number.h"

#include "read_number.h"
#include "text_field.h"
#include "update_list.h"

uint32_t VersionNumber(std::string_view version) {
    uint32_t n = 0;
    for (int part = 1; part <= 4; ++part) {
        double value = ReadListDecimal(TextField(version, part, "."));
        // A part holds no ".", so its value is whole; the sum's low 32 bits
        // make a part of any size wrap modulo 2^32.
        n = static_cast<uint32_t>(WholeNumberLow32(static_cast<double>(n) + value));
        if (part < 4) n *= 256u;  // unsigned: wraps modulo 2^32
    }
    return n;
}

bool IsNewerVersion(std::string_view offered, std::string_view current) {
    return VersionNumber(offered) > VersionNumber(current);
}
