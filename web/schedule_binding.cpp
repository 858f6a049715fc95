// The way into a schedule check from script, in the page's worker (or, where
// no worker can run, in the page itself): begin, feed the file's bytes piece
// by piece, finish. Each step makes a bounded part of the answer, gathered
// here until the script takes it; the first records are kept, with a
// bounded number of columns, for the page to show as a table.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "schedule_check.h"

namespace {

// The table shows the header and 100 rows, and of each the schedule's first
// 20 columns and the six added ones: a wide schedule stays a small table.
constexpr size_t PREVIEW_RECORDS = 101;
constexpr size_t PREVIEW_COLUMNS = 20;
constexpr size_t ADDED_COLUMNS = 6;

std::unique_ptr<ScheduleCheck> Check;
std::string Input;   // the next piece of the file
std::string Answer;  // the answer's bytes made since the script last took them
std::string Text;    // a text asked for: the failure, a field of the preview
std::vector<std::vector<std::string>> Preview;

void TakeOutput() {
    Answer += Check->Output();
    Check->Output().clear();
}

void KeepForPreview(const std::vector<std::string_view>& fields) {
    if (Preview.size() >= PREVIEW_RECORDS) return;
    std::vector<std::string>& record = Preview.emplace_back();
    if (fields.empty()) return;  // a blank line
    const size_t columns = Check->Columns();
    const size_t shown = std::min(columns, PREVIEW_COLUMNS);
    record.assign(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(shown));
    const auto added = fields.begin() + static_cast<std::ptrdiff_t>(columns);
    record.insert(record.end(), added, added + ADDED_COLUMNS);
}

}  // namespace

extern "C" {

// A new check; an answer that would grow past `answerLimit` bytes fails it.
EMSCRIPTEN_KEEPALIVE void brantle_schedule_begin(double answerLimit) {
    Check = std::make_unique<ScheduleCheck>();
    Check->LimitAnswer(static_cast<uint64_t>(answerLimit));
    Check->onRecord = KeepForPreview;
    Preview.clear();
    Answer.clear();
}

// A buffer of `size` bytes for the next piece of the file.
EMSCRIPTEN_KEEPALIVE char* brantle_schedule_input(size_t size) {
    Input.resize(size);
    return &Input[0];
}

// Reads the piece's bytes from `from` up to `to`, as many as make one step
// of the answer; returns how many it read. Fewer than all: feed the rest
// again, unless the check failed.
EMSCRIPTEN_KEEPALIVE size_t brantle_schedule_feed(size_t from, size_t to) {
    if (!Check || from > to || to > Input.size()) return 0;
    const size_t read = Check->Feed(std::string_view(Input).substr(from, to - from));
    TakeOutput();
    return read;
}

// The end of the file; false when the check failed.
EMSCRIPTEN_KEEPALIVE int brantle_schedule_finish() {
    if (!Check) return 0;
    const bool finished = Check->Finish();
    TakeOutput();
    return finished;
}

// The answer's bytes made since the script last took them, which it takes
// in parts as large as it likes; brantle_schedule_answer_taken frees them.
EMSCRIPTEN_KEEPALIVE const char* brantle_schedule_answer() { return Answer.data(); }
EMSCRIPTEN_KEEPALIVE size_t brantle_schedule_answer_length() { return Answer.size(); }
EMSCRIPTEN_KEEPALIVE void brantle_schedule_answer_taken() { Answer.clear(); }

EMSCRIPTEN_KEEPALIVE int brantle_schedule_failed() { return Check && Check->Failed(); }
EMSCRIPTEN_KEEPALIVE int brantle_schedule_answer_too_large() { return Check && Check->AnswerTooLarge(); }
EMSCRIPTEN_KEEPALIVE void brantle_schedule_failure() { Text = Check ? Check->Failure() : std::string(); }
EMSCRIPTEN_KEEPALIVE double brantle_schedule_rows() { return Check ? static_cast<double>(Check->Rows()) : 0; }
EMSCRIPTEN_KEEPALIVE double brantle_schedule_errors() {
    return Check ? static_cast<double>(Check->RowsWithErrors()) : 0;
}
// The schedule's columns that the table leaves out, between its first ones
// and the added ones.
EMSCRIPTEN_KEEPALIVE double brantle_schedule_columns_left_out() {
    return Check && Check->Columns() > PREVIEW_COLUMNS ? static_cast<double>(Check->Columns() - PREVIEW_COLUMNS) : 0;
}

// The records kept for the table, the header first; a blank line has no fields.
EMSCRIPTEN_KEEPALIVE int brantle_preview_records() { return static_cast<int>(Preview.size()); }
EMSCRIPTEN_KEEPALIVE int brantle_preview_fields(int record) {
    return record >= 0 && record < static_cast<int>(Preview.size()) ? static_cast<int>(Preview[record].size()) : 0;
}
EMSCRIPTEN_KEEPALIVE void brantle_preview_field(int record, int field) {
    Text = field >= 0 && field < brantle_preview_fields(record) ? Preview[record][field] : std::string();
}

// The last text asked for.
EMSCRIPTEN_KEEPALIVE const char* brantle_schedule_text() { return Text.data(); }
EMSCRIPTEN_KEEPALIVE size_t brantle_schedule_text_length() { return Text.size(); }

}  // extern "C"
