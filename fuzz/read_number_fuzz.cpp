// Any text reads as some number, never NaN, from the characters it says it
// took, and its whole-number form is the same however often it is taken.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "read_number.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t used = 0;
    const double value = ReadNumber(text, &used);
    if (std::isnan(value)) std::abort();
    // The characters that the number took read as the same number; without
    // them there is no number.
    if (used > size || (used == 0 && value != 0)) std::abort();
    if (ReadNumber(text.substr(0, used)) != value) std::abort();
    const int32_t whole = WholeNumberLow32(value);
    if (whole != ReadWholeNumber(text)) std::abort();
    // Whole values within 32 bits come back unchanged.
    if (std::isfinite(value) && std::fabs(value) < 2147483647.0 && value == std::floor(value) &&
        whole != static_cast<int32_t>(value))
        std::abort();
    return 0;
}
