#include "record_model.h"

#include <cstdio>

namespace {

constexpr size_t kDiagramOffset = 0, kDiagramSize = 8;
constexpr size_t kOptionsOffset = 8;
constexpr size_t kResultOffset = 12, kResultSize = 40;

void WriteField(std::array<uint8_t, 52>& bytes, size_t offset, size_t size, std::string_view text) {
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    for (size_t i = 0; i < n; ++i) bytes[offset + i] = static_cast<uint8_t>(text[i]);
    bytes[offset + n] = 0;
}

std::string Hex(const uint8_t* p, size_t n) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", p[i]);
        out += buf;
    }
    return out;
}

}  // namespace

ExpectedRecord& ExpectedRecord::Diagram(std::string_view typed) {
    WriteField(bytes, kDiagramOffset, kDiagramSize, typed);
    return *this;
}

ExpectedRecord& ExpectedRecord::Options(int32_t options) {
    uint32_t u = static_cast<uint32_t>(options);
    for (int i = 0; i < 4; ++i) bytes[kOptionsOffset + i] = static_cast<uint8_t>(u >> (8 * i));
    return *this;
}

ExpectedRecord& ExpectedRecord::Result(std::string_view word) {
    bytes[kResultOffset] = 0;
    WriteField(bytes, kResultOffset, kResultSize, word);
    return *this;
}

ExpectedRecord& ExpectedRecord::NoResult() {
    bytes[kResultOffset] = 0;
    return *this;
}

std::string DescribeRecordDifference(const std::vector<uint8_t>& got, const ExpectedRecord& want) {
    if (got.size() != want.bytes.size()) return "record has " + std::to_string(got.size()) + " bytes, expected 52";
    struct Field {
        const char* name;
        size_t offset, size;
    } fields[] = {{"diagram", kDiagramOffset, kDiagramSize},
                  {"options", kOptionsOffset, 4},
                  {"result", kResultOffset, kResultSize}};
    std::string out;
    for (const Field& f : fields) {
        const uint8_t* g = got.data() + f.offset;
        const uint8_t* w = want.bytes.data() + f.offset;
        bool same = true;
        for (size_t i = 0; i < f.size; ++i) same = same && g[i] == w[i];
        if (!same) {
            if (!out.empty()) out += "; ";
            out += std::string(f.name) + " bytes " + Hex(g, f.size) + ", expected " + Hex(w, f.size);
        }
    }
    return out;
}
