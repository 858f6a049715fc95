// Comma-separated values as spreadsheets write and read them: a reader that
// takes its input in pieces of any size and hands over each record once it
// is complete, and a writer.
//
// Reading: fields are separated by commas and records by CR LF, LF or a lone
// CR. A field that begins with a double quote runs to the next quote that is
// not doubled; inside it, commas and line ends are data and "" stands for
// one quote. What follows a closing quote up to the next comma or line end,
// and a quote inside a field that did not begin with one, are kept as data,
// as spreadsheets keep them. A line end right at the end of the input ends
// the last record; it starts no empty one.
//
// Memory stays bounded whatever the input: a record may hold at most a
// given number of bytes, and only its first fields up to a given number are
// kept (the others are counted).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// One record: its fields' values, views into storage that the reader reuses
// for the next record.
struct CsvRecord {
    std::vector<std::string_view> fields;  // the first fields, up to the reader's maxFields
    size_t fieldCount = 0;                 // all the record's fields, those not kept too
    bool blankLine = false;                // an empty line: one empty field, nothing else
    bool unclosedQuote = false;            // the input ended inside a quoted field
};

class CsvReader {
public:
    // `maxRecordBytes` bounds the bytes of one record, its line end left out;
    // of each record, the first `maxFields` fields are kept.
    explicit CsvReader(size_t maxRecordBytes, size_t maxFields = std::numeric_limits<size_t>::max())
        : maxRecordBytes_(maxRecordBytes), maxFields_(maxFields) {}

    // Whether the input began with the UTF-8 byte order mark, which is taken
    // off the first field. Known once Feed has seen 3 bytes or Finish ran.
    bool HadByteOrderMark() const { return bom_ == Bom::Present; }

    // Reads the next `bytes` of the input and calls onRecord(const CsvRecord&)
    // for every record that they complete; it returns whether to read on.
    // Returns how many of the bytes were read: all of them, unless onRecord
    // asked to stop (then those up to the end of its record) or a record grew
    // longer than maxRecordBytes (then nothing more is read; see TooLong()).
    template <typename OnRecord>
    size_t Feed(std::string_view bytes, OnRecord&& onRecord) {
        size_t i = 0;
        while (i < bytes.size() && !tooLong_) {
            i = Scan(bytes, i);
            if (complete_) {
                const bool readOn = onRecord(static_cast<const CsvRecord&>(record_));
                StartRecord();
                if (!readOn) break;
            }
        }
        return i;
    }

    // The end of the input: hands over the record that it ends, if any.
    template <typename OnRecord>
    void Finish(OnRecord&& onRecord) {
        if (!FinishRecord()) return;
        onRecord(static_cast<const CsvRecord&>(record_));
        StartRecord();
    }

    bool TooLong() const { return tooLong_; }

    // Records handed over so far.
    uint64_t Records() const { return records_; }

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted, AfterQuoted };
    enum class Bom { Unknown, Present, Absent };

    // Reads from bytes[i] until a record is complete or the bytes run out;
    // returns the position after what it read.
    size_t Scan(std::string_view bytes, size_t i);
    bool CheckByteOrderMark(std::string_view bytes, size_t& i);
    void Count(size_t bytes);
    void Keep(const char* data, size_t size);
    void EndField();
    void EndRecord();
    bool FinishRecord();
    void StartRecord();

    size_t maxRecordBytes_;
    size_t maxFields_;
    State state_ = State::FieldStart;
    Bom bom_ = Bom::Unknown;
    std::string bomBytes_;   // the first bytes while the mark is still unknown
    bool afterCR_ = false;   // an LF right after a CR belongs to that line end
    bool complete_ = false;  // record_ holds a record to hand over
    bool tooLong_ = false;
    size_t recordBytes_ = 0;    // bytes of the current record so far
    size_t fieldCount_ = 0;     // fields of the current record ended so far
    std::string values_;        // the kept fields' values, one after another
    std::vector<size_t> ends_;  // where each kept field's value ends in values_
    CsvRecord record_;
    uint64_t records_ = 0;
};

// Appends `value` as one field: quoted, with its quotes doubled, when it
// holds a comma, a quote, a CR or an LF; as it is otherwise.
void AppendCsvField(std::string& out, std::string_view value);

// Appends the fields separated by commas and followed by CR LF.
void AppendCsvRecord(std::string& out, const std::vector<std::string_view>& fields);
