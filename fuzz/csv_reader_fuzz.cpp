// The CSV reader reads the same records however its input is cut into
// pieces, stays within its bound, and reads back exactly what the writer
// writes; the schedule check answers any input with CSV of its own shape.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "csv.h"
#include "schedule_check.h"

namespace {

struct Read {
    std::vector<std::vector<std::string>> records;
    std::vector<size_t> fieldCounts;
    std::vector<bool> blank, unclosed;
    bool tooLong = false;
    bool operator==(const Read& o) const {
        return records == o.records && fieldCounts == o.fieldCounts && blank == o.blank && unclosed == o.unclosed &&
               tooLong == o.tooLong;
    }
};

Read ReadInPieces(std::string_view input, size_t piece, size_t bound, size_t maxFields = SIZE_MAX) {
    CsvReader reader(bound, maxFields);
    Read read;
    auto take = [&](const CsvRecord& r) {
        read.records.emplace_back(r.fields.begin(), r.fields.end());
        read.fieldCounts.push_back(r.fieldCount);
        read.blank.push_back(r.blankLine);
        read.unclosed.push_back(r.unclosedQuote);
        size_t bytes = 0;
        for (std::string_view f : r.fields) bytes += f.size();
        if (bytes > bound) std::abort();
        return true;
    };
    bool going = true;
    for (size_t i = 0; going && i < input.size(); i += piece) {
        reader.Feed(input.substr(i, piece), take);
        going = !reader.TooLong();
    }
    if (going) reader.Finish(take);
    read.tooLong = !going;
    return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 4096) return 0;
    const size_t piece = data[0] % 16 + 1;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

    for (size_t bound : {size_t{64}, size_t{1} << 20}) {
        const Read whole = ReadInPieces(input, input.size() + 1, bound);
        if (!(ReadInPieces(input, piece, bound) == whole)) std::abort();
        // Keeping only the first fields keeps those of every record, and
        // counts them all.
        const Read firstFields = ReadInPieces(input, piece, bound, 2);
        if (firstFields.fieldCounts != whole.fieldCounts || firstFields.tooLong != whole.tooLong) std::abort();
        for (size_t i = 0; i < whole.records.size(); ++i) {
            if (whole.fieldCounts[i] != whole.records[i].size()) std::abort();
            const size_t kept = std::min<size_t>(whole.records[i].size(), 2);
            if (firstFields.records[i] !=
                std::vector<std::string>(whole.records[i].begin(), whole.records[i].begin() + kept))
                std::abort();
        }
        if (whole.tooLong) continue;
        // What the writer writes of each record reads back as that record
        // (after a first line: at the very start a byte order mark would be
        // taken as the file's, not as data).
        for (const std::vector<std::string>& fields : whole.records) {
            std::string written = "first\r\n";
            AppendCsvRecord(written, std::vector<std::string_view>(fields.begin(), fields.end()));
            const Read back = ReadInPieces(written, piece, size_t{1} << 30);
            if (back.records.size() != 2 || back.records[1] != fields || back.unclosed[1]) std::abort();
        }
    }

    // A schedule of these rows: every output record has the header's columns
    // and the six added ones at least, and there is one for each input record.
    ScheduleCheck check;
    std::string output;
    const std::string header = "diagram,x,options\n";
    check.Feed(header);
    for (size_t i = 0; !check.Failed() && i < input.size(); i += piece) {
        std::string_view rest = input.substr(i, piece);
        while (!rest.empty() && !check.Failed()) {
            rest.remove_prefix(check.Feed(rest));
            output += check.Output();
            check.Output().clear();
        }
    }
    if (!check.Failed() && check.Finish()) {
        output += check.Output();
        const Read answer = ReadInPieces(output, output.size() + 1, size_t{1} << 30);
        const Read rows = ReadInPieces(header + std::string(input), input.size() + header.size() + 1, size_t{1} << 30);
        if (answer.records.size() != rows.records.size()) std::abort();
        for (size_t i = 0; i < answer.records.size(); ++i) {
            if (!rows.blank[i] && answer.records[i].size() < 9) std::abort();
        }
    }
    return 0;
}
