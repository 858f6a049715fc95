#include "update_list.h"

#include "read_number.h"
#include "text_field.h"

namespace {

// The line that starts at `start` (npos: past the last line, so empty),
// stripped of spaces; `start` moves to the next line.
std::string NextLine(std::string_view list, size_t& start) {
    if (start == std::string_view::npos) return {};
    size_t lineFeed = list.find('\n', start);
    size_t end = lineFeed == std::string_view::npos ? list.size() : lineFeed;
    std::string_view line = list.substr(start, end - start);
    start = lineFeed == std::string_view::npos ? std::string_view::npos : lineFeed + 1;
    return std::string(TrimSpaces(line));
}

}  // namespace

std::string UpdateListLine(std::string_view list, int32_t n) {
    if (n < 1) return {};
    size_t start = 0;
    std::string line;
    for (int32_t i = 1; i <= n; ++i) line = NextLine(list, start);
    return line;
}

double ReadListDecimal(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n'))
        ++pos;
    // Only the decimal form is handed on, so that the program's number reader
    // sees no "&" prefix and no exponent.
    size_t end = pos;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    bool seenPoint = false;
    for (; end < text.size(); ++end) {
        char c = text[end];
        if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else if (c < '0' || c > '9') {
            break;
        }
    }
    return ReadNumber(text.substr(pos, end - pos));
}

int32_t ReadListWholeNumber(std::string_view text) { return WholeNumberLow32(ReadListDecimal(text)); }

UpdateListEntry ReadUpdateListEntry(std::string_view line) {
    // Without the CR an unquoted last field also loses the spaces before it,
    // as it would before a LF.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    UpdateListEntry entry;
    entry.program = TextField(line, 1);
    entry.version = TextField(line, 2);
    entry.method = ReadListWholeNumber(TextField(line, 3));
    entry.address = TextField(line, 4);
    entry.size = ReadListWholeNumber(TextField(line, 5));
    entry.sha256 = TextField(line, 6);
    return entry;
}

bool FindUpdateListEntry(std::string_view list, std::string_view programName, UpdateListEntry& entry) {
    size_t start = 0;
    for (int32_t n = 1;; ++n) {
        std::string line = NextLine(list, start);
        if (TextField(line, 1) == programName) {
            entry = ReadUpdateListEntry(line);
            return true;
        }
        if (line.empty() || n == UPDATE_LIST_MAX_LINES) return false;
    }
}
