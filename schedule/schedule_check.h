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
// records end in CR LF.
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

    // Reads the next bytes of the schedule and appends the answer's bytes
    // to Output(). False once the run has failed (see Failure()); the rows
    // before the failure have been answered.
    bool Feed(std::string_view bytes);

    // The end of the schedule; false when the run failed.
    bool Finish();

    // The answer's bytes so far: the caller takes them and clears it.
    std::string& Output() { return output_; }

    // Why the run failed: no header row, a column missing, a record too long.
    const std::string& Failure() const { return failure_; }

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
    void Emit();

    CsvReader reader_{MAX_RECORD_BYTES};
    MainDialogModel dialog_;  // with the check's own engine state
    std::string output_;
    std::string failure_;
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
