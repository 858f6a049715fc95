#include "schedule_check.h"

#include <algorithm>
#include <charconv>

#include "control_ids.h"
#include "read_number.h"
#include "rules_engine.h"
#include "text_field.h"

namespace {

const std::string_view ADDED_COLUMNS[] = {"row", "verdict", "heading", "result", "note", "error"};

// Written before the answer's header when the schedule began with it.
constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

bool IsBlankText(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// A header name as people write it: "Diagram", " options ".
bool NamesColumn(std::string_view header, std::string_view name) {
    return EqualsIgnoringAsciiCase(TrimSpaces(header), name);
}

// A limit as people read it: whole MiB as such, any other in bytes.
std::string SizeText(uint64_t bytes) {
    constexpr uint64_t MIB = uint64_t{1} << 20;
    return bytes % MIB == 0 ? std::to_string(bytes / MIB) + " MiB" : std::to_string(bytes) + " bytes";
}

template <size_t N>
std::string_view NumberText(char (&buffer)[N], int64_t value) {
    return std::string_view(buffer, static_cast<size_t>(std::to_chars(buffer, buffer + N, value).ptr - buffer));
}

}  // namespace

void AnswerScheduleRow(std::string_view diagram, std::string_view options, MainDialogModel& dialog,
                       ScheduleAnswer& answer) {
    answer = ScheduleAnswer();
    int32_t optionSet = 0;
    if (!IsBlankText(options) && !ReadWholeNumberExactly(options, optionSet)) {
        answer.error = "options: not a number (decimal, &H.. hexadecimal, &B.. binary or &O.. octal)";
        return;
    }
    // A fresh showing, as the program shows DIAGRAM /Q OPTIONS first.
    dialog.ResetState(optionSet);
    dialog.Show(diagram);
    if (TrimSpaces(diagram).empty()) dialog.Click(IDC_NONE);
    answer.row = dialog.State().matchedRow;
    if (answer.row != 0) answer.verdict = MatchedVerdict(dialog.State());
    answer.heading = dialog.ShownText(IDC_RESULT_HEADER);
    answer.result = dialog.Control(IDC_RESULT).text;
    answer.note = dialog.ShownText(IDC_RESULT_NOTE);
}

size_t ScheduleCheck::Feed(std::string_view bytes) {
    if (Failed()) return 0;
    const size_t read = reader_.Feed(bytes, [this](const CsvRecord& record) {
        Take(record);
        return !Failed() && output_.size() < OUTPUT_STEP;
    });
    if (reader_.TooLong()) {
        Fail("row " + std::to_string(reader_.Records() + 1) + " of the file (the header is row 1) is longer than " +
             std::to_string(MAX_RECORD_BYTES) + " bytes");
    }
    return read;
}

bool ScheduleCheck::Finish() {
    if (Failed()) return false;
    reader_.Finish([this](const CsvRecord& record) { Take(record); });
    if (!headerDone_ && !Failed()) {
        Fail("the file is empty; it needs a header row naming a \"diagram\" and an \"options\" column");
    }
    return !Failed();
}

void ScheduleCheck::Fail(std::string reason) {
    if (failure_.empty()) failure_ = std::move(reason);
}

void ScheduleCheck::Take(const CsvRecord& record) {
    if (!failure_.empty()) return;
    if (!headerDone_) {
        TakeHeader(record);
    } else {
        TakeRow(record);
    }
}

void ScheduleCheck::TakeHeader(const CsvRecord& record) {
    headerDone_ = true;
    if (record.fieldCount > MAX_COLUMNS) {
        Fail("the header row has " + std::to_string(record.fieldCount) + " columns; a schedule may have at most " +
             std::to_string(MAX_COLUMNS));
        return;
    }
    std::string missing;
    for (const auto& [name, column] : {std::pair<std::string_view, size_t*>{"diagram", &diagramColumn_},
                                       std::pair<std::string_view, size_t*>{"options", &optionsColumn_}}) {
        int found = 0;
        for (size_t i = 0; i < record.fields.size(); ++i) {
            if (NamesColumn(record.fields[i], name) && found++ == 0) *column = i;
        }
        if (found > 1) {
            Fail("the header row names " + std::to_string(found) + " \"" + std::string(name) +
                 "\" columns; it must name one");
            return;
        }
        if (found == 0)
            missing += missing.empty() ? "no \"" + std::string(name) + "\"" : " and no \"" + std::string(name) + "\"";
    }
    if (!missing.empty()) {
        Fail("the header row has " + missing + " column; it needs both \"diagram\" and \"options\"");
        return;
    }
    width_ = record.fields.size();
    fields_.assign(record.fields.begin(), record.fields.end());
    fields_.insert(fields_.end(), std::begin(ADDED_COLUMNS), std::end(ADDED_COLUMNS));
    Emit(reader_.HadByteOrderMark() ? BYTE_ORDER_MARK : std::string_view());
}

void ScheduleCheck::TakeRow(const CsvRecord& record) {
    if (record.blankLine) {
        // Kept as the empty line it was.
        fields_.clear();
        Emit();
        return;
    }
    const size_t count = record.fieldCount;
    const size_t kept = std::min(count, width_);
    fields_.assign(record.fields.begin(), record.fields.begin() + static_cast<std::ptrdiff_t>(kept));
    fields_.resize(width_);  // a short row's missing columns are written empty

    // A row may leave out empty columns at its end; one that lacks the
    // diagram or the options, or has more fields than the header, is not
    // checked: its values may have moved to other columns.
    std::string error;
    const size_t needed = std::max(diagramColumn_, optionsColumn_) + 1;
    if (count > width_ || count < needed) {
        error = std::to_string(count) + (count == 1 ? " field" : " fields") + " where the header has " +
                std::to_string(width_);
        if (count > MAX_COLUMNS) {
            error += "; a row may have at most " + std::to_string(MAX_COLUMNS) + ", so the extra fields are left out";
        } else if (count > width_) {
            error += "; the extra fields follow this column";
        }
    }
    if (record.unclosedQuote) {
        if (!error.empty()) error += "; ";
        error += "a quoted field has no closing quote, so it runs to the end of the file";
    }
    if (error.empty()) {
        AnswerScheduleRow(fields_[diagramColumn_], fields_[optionsColumn_], dialog_, answer_);
        error = answer_.error;
    }
    if (error.empty()) {
        fields_.push_back(NumberText(rowText_, answer_.row));
        fields_.push_back(answer_.row != 0 ? NumberText(verdictText_, answer_.verdict) : std::string_view());
        fields_.push_back(answer_.heading);
        fields_.push_back(answer_.result);
        fields_.push_back(answer_.note);
        fields_.push_back(std::string_view());
    } else {
        answer_.error = std::move(error);
        fields_.insert(fields_.end(), 5, std::string_view());
        fields_.push_back(answer_.error);
    }
    if (count > width_ && count <= MAX_COLUMNS) {
        fields_.insert(fields_.end(), record.fields.begin() + static_cast<std::ptrdiff_t>(width_), record.fields.end());
    }
    if (!Emit()) return;
    ++rows_;
    if (!answer_.error.empty()) ++rowsWithErrors_;
}

// Appends `prefix` and the output record in fields_ to Output(), unless
// that would take the answer past its limit.
bool ScheduleCheck::Emit(std::string_view prefix) {
    const size_t start = output_.size();
    output_.append(prefix.data(), prefix.size());
    AppendCsvRecord(output_, fields_);
    const uint64_t bytes = output_.size() - start;
    if (bytes > maxAnswerBytes_ - answerBytes_) {
        output_.resize(start);
        answerTooLarge_ = true;
        Fail("row " + std::to_string(reader_.Records()) +
             " of the file (the header is row 1) would take the answer past " + SizeText(maxAnswerBytes_));
        return false;
    }
    answerBytes_ += bytes;
    if (onRecord) onRecord(fields_);
    return true;
}
