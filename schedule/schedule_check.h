// Checking a sign schedule kept as CSV, the same way everywhere the rules
// engine runs: each row's diagram number and option set are shown in the
// main dialog as at start-up, and the row comes back with the answer.
//
// The header row names the columns; "diagram" and "options" are found by
// name (spaces around it and letter case do not count). Each row is written
// back with all its columns as they were, followed by
//   row      the rule table's row that the diagram number matched, 0 for none
//   verdict  -1 to 4, empty when no row matched
//   heading, result, note   the three lines that the dialog shows
//   error    why the row was not checked, empty when it was
// An empty diagram number is a sign without one ("none" ticked); an empty
// option set is 0. A row may leave out empty columns at its end. Output
// records end in CR LF. Memory stays bounded whatever the input: records
// are read up to a bound, and the answer is handed over as it is made.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "csv.h"
#include "dialog_model.h"

// The answer for one row: the views point into the dialog's texts and stay
// valid until the next row is answered.
struct ScheduleAnswer {
    int32_t row = 0;      // the matched row of the rule table, 0 for none
    int32_t verdict = 0;  // valid when row is not 0
    std::string_view heading, result, note;
    std::string error;  // empty when the row was checked
};

// Shows `diagram` with the option set `options` (as the /Q switch writes
// it; empty is 0) in `dialog` and reads the answer; with a bad option set,
// only `error` is filled in.
void AnswerScheduleRow(std::string_view diagram, std::string_view options, MainDialogModel& dialog,
                       ScheduleAnswer& answer);

class ScheduleCheck {
public:
    // Longest record taken, in bytes: a schedule's rows are a few dozen
    // bytes; the bound keeps memory bounded whatever the input holds.
    static constexpr size_t MAX_RECORD_BYTES = 1 << 20;

    // Most columns a header may name, as many as a spreadsheet has. A row
    // with more fields than this is answered with an error, and only its
    // header's columns are written back.
    static constexpr size_t MAX_COLUMNS = 16384;

    // Feed stops once Output() holds this many bytes, so that the caller can
    // write them out before more are made.
    static constexpr size_t OUTPUT_STEP = 1 << 16;

    // Reads bytes of the schedule and appends the answer's bytes, record by
    // record, to Output(). Returns how many of the bytes it read: fewer than
    // all once Output() holds OUTPUT_STEP bytes (take them and feed the rest
    // again) or when the run has failed (see Failed()). The rows before a
    // failure have been answered.
    size_t Feed(std::string_view bytes);

    // The end of the schedule; false when the run failed.
    bool Finish();

    // The answer's bytes so far: the caller takes them and clears it.
    std::string& Output() { return output_; }

    // An answer that would grow past `bytes` fails the run at the row that
    // would take it there, before that row's bytes are made.
    void LimitAnswer(uint64_t bytes) { maxAnswerBytes_ = bytes; }

    bool Failed() const { return !failure_.empty(); }

    // Why the run failed: no header row, a column missing, too many columns,
    // a record too long, an answer too large.
    const std::string& Failure() const { return failure_; }

    // Whether the run failed because of LimitAnswer's limit.
    bool AnswerTooLarge() const { return answerTooLarge_; }

    // The header's number of columns, once it has been read; each record of
    // the answer holds these, then the six added columns, then any extra
    // fields of its row.
    size_t Columns() const { return width_; }

    // Rows answered (the header not counted), and those with an error.
    uint64_t Rows() const { return rows_; }
    uint64_t RowsWithErrors() const { return rowsWithErrors_; }

    // Called with the fields of every output record, the header first and a
    // blank line as no fields, before its bytes are appended to Output().
    std::function<void(const std::vector<std::string_view>&)> onRecord;

private:
    void Take(const CsvRecord& record);
    void TakeHeader(const CsvRecord& record);
    void TakeRow(const CsvRecord& record);
    void Fail(std::string reason);
    bool Emit(std::string_view prefix = {});

    CsvReader reader_{MAX_RECORD_BYTES, MAX_COLUMNS};
    MainDialogModel dialog_;  // with the check's own engine state
    std::string output_;
    std::string failure_;
    bool answerTooLarge_ = false;
    uint64_t answerBytes_ = 0;  // bytes of the answer made so far
    uint64_t maxAnswerBytes_ = UINT64_MAX;
    bool headerDone_ = false;
    size_t width_ = 0;  // the header's number of fields
    size_t diagramColumn_ = 0;
    size_t optionsColumn_ = 0;
    uint64_t rows_ = 0;
    uint64_t rowsWithErrors_ = 0;
    std::vector<std::string_view> fields_;  // the output record being made
    ScheduleAnswer answer_;
    char rowText_[12] = {};
    char verdictText_[12] = {};
};
