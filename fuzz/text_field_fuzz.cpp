// Fields are pieces of the text: never longer than it, and with a delimiter
// the fields joined by it give the text back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text_field.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 1024) return 0;  // reading n fields costs n passes
    // The first byte picks the delimiter's length (0 to 3), taken from the end.
    const size_t delimiterLength = data[0] % 4 < size ? data[0] % 4 : 0;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string_view delimiter = rest.substr(rest.size() - delimiterLength);
    std::string_view text = rest.substr(0, rest.size() - delimiterLength);

    std::string joined;
    int n = 1;
    const int fieldsToRead = delimiter.empty() ? 16 : static_cast<int>(text.size()) + 1;
    for (; n <= fieldsToRead; ++n) {
        std::string field = TextField(text, n, delimiter);
        if (field.size() > text.size()) std::abort();
        if (!delimiter.empty()) {
            if (n > 1) joined += delimiter;
            joined += field;
            if (joined.size() >= text.size()) break;
        }
    }
    if (!delimiter.empty() && joined != text) std::abort();
    if (!TextField(text, static_cast<int>(text.size()) + 2, delimiter).empty()) std::abort();
    return 0;
}
