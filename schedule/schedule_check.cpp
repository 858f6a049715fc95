#include "schedule_check.h"

#include <algorithm>
#include <charconv>

#include "control_ids.h"
#include "read_number.h"
#include "rules_engine.h"
#include "text_field.h"

namespace {

const std::string_view ADDED_COLUMNS[] = {"row", "verdict", "heading", "result", "note", "error"};

bool IsBlankText(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// A header name as people write it: "Diagram", " options ".
bool NamesColumn(std::string_view header, std::string_view name) {
    return EqualsIgnoringAsciiCase(TrimSpaces(header), name);
}

std::string_view ShownText(const MainDialogModel& dialog, int id) {
    const ModelControl& control = dialog.Control(id);
    return control.shown ? std::string_view(control.text) : std::string_view();
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
    answer.heading = ShownText(dialog, IDC_RESULT_HEADER);
    answer.result = dialog.Control(IDC_RESULT).text;
    answer.note = ShownText(dialog, IDC_RESULT_NOTE);
}

bool ScheduleCheck::Feed(std::string_view bytes) {
    if (!failure_.empty()) return false;
    if (!reader_.Feed(bytes, [this](const CsvRecord& record) { Take(record); })) {
        Fail("row " + std::to_string(reader_.Records() + 1) + " of the file (the header is row 1) is longer than " +
             std::to_string(MAX_RECORD_BYTES) + " bytes");
    }
    return failure_.empty();
}

bool ScheduleCheck::Finish() {
    if (!failure_.empty()) return false;
    reader_.Finish([this](const CsvRecord& record) { Take(record); });
    if (!headerDone_ && failure_.empty()) {
        Fail("the file is empty; it needs a header row naming a \"diagram\" and an \"options\" column");
    }
    return failure_.empty();
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
    if (reader_.HadByteOrderMark()) output_ += "\xEF\xBB\xBF";
    width_ = record.fields.size();
    fields_.assign(record.fields.begin(), record.fields.end());
    fields_.insert(fields_.end(), std::begin(ADDED_COLUMNS), std::end(ADDED_COLUMNS));
    Emit();
}

void ScheduleCheck::TakeRow(const CsvRecord& record) {
    if (record.blankLine) {
        // Kept as the empty line it was.
        fields_.clear();
        if (onRecord) onRecord(fields_);
        output_ += "\r\n";
        return;
    }
    ++rows_;
    const size_t count = record.fields.size();
    fields_.assign(record.fields.begin(), record.fields.begin() + static_cast<std::ptrdiff_t>(std::min(count, width_)));
    fields_.resize(width_);  // a short row's missing columns are written empty

    // A row may leave out empty columns at its end; one that lacks the
    // diagram or the options, or has more fields than the header, is not
    // checked: its values may have moved to other columns.
    std::string error;
    const size_t needed = std::max(diagramColumn_, optionsColumn_) + 1;
    if (count > width_ || count < needed) {
        error = std::to_string(count) + (count == 1 ? " field" : " fields") + " where the header has " +
                std::to_string(width_);
        if (count > width_) error += "; the extra fields follow this column";
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
        ++rowsWithErrors_;
        answer_.error = std::move(error);
        fields_.insert(fields_.end(), 5, std::string_view());
        fields_.push_back(answer_.error);
    }
    if (count > width_) {
        fields_.insert(fields_.end(), record.fields.begin() + static_cast<std::ptrdiff_t>(width_), record.fields.end());
    }
    Emit();
}

void ScheduleCheck::Emit() {
    if (onRecord) onRecord(fields_);
    AppendCsvRecord(output_, fields_);
}
