#include "text_field.h"

namespace {

std::string DelimitedField(std::string_view text, int n, std::string_view delimiter) {
    size_t start = 0;
    for (int field = 1; field < n; ++field) {
        size_t next = text.find(delimiter, start);
        if (next == std::string_view::npos) return {};
        start = next + delimiter.size();
    }
    size_t end = text.find(delimiter, start);
    if (end == std::string_view::npos) end = text.size();
    return std::string(text.substr(start, end - start));
}

// Reads the comma-separated field starting at `pos`; leaves `pos` after the
// comma that ends it, or at npos when the text has no more fields.
std::string NextCsvField(std::string_view text, size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    std::string value;
    size_t comma;
    if (pos < text.size() && text[pos] == '"') {
        size_t close = text.find('"', pos + 1);
        if (close == std::string_view::npos) {
            value = std::string(text.substr(pos + 1));
            pos = std::string_view::npos;
            return value;
        }
        value = std::string(text.substr(pos + 1, close - pos - 1));
        comma = text.find(',', close + 1);
    } else {
        comma = text.find(',', pos);
        size_t end = comma == std::string_view::npos ? text.size() : comma;
        size_t last = end;
        while (last > pos && text[last - 1] == ' ') --last;
        value = std::string(text.substr(pos, last - pos));
    }
    pos = comma == std::string_view::npos ? std::string_view::npos : comma + 1;
    return value;
}

}  // namespace

std::string TextField(std::string_view text, int n, std::string_view delimiter) {
    if (n < 1) return {};
    if (!delimiter.empty()) return DelimitedField(text, n, delimiter);
    size_t pos = 0;
    for (int field = 1; pos != std::string_view::npos; ++field) {
        std::string value = NextCsvField(text, pos);
        if (field == n) return value;
    }
    return {};
}

std::string_view TrimSpaces(std::string_view text) {
    const size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
        const char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 'a' + 'A') : b[i];
        if (x != y) return false;
    }
    return true;
}
