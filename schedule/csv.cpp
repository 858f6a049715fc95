#include "csv.h"

#include <cstring>

namespace {

constexpr char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";
constexpr size_t BYTE_ORDER_MARK_SIZE = 3;

}  // namespace

// Counts bytes of the current record against the bound.
void CsvReader::Count(size_t bytes) {
    recordBytes_ += bytes;
    if (recordBytes_ > maxRecordBytes_) tooLong_ = true;
}

// The bytes of the current field's value, unless the field is one too many
// to keep.
void CsvReader::Keep(const char* data, size_t size) {
    if (fieldCount_ < maxFields_ && !tooLong_) values_.append(data, size);
}

void CsvReader::EndField() {
    if (fieldCount_ < maxFields_) ends_.push_back(values_.size());
    ++fieldCount_;
}

void CsvReader::EndRecord() {
    EndField();
    record_.fields.clear();
    size_t begin = 0;
    for (size_t end : ends_) {
        record_.fields.emplace_back(values_.data() + begin, end - begin);
        begin = end;
    }
    record_.fieldCount = fieldCount_;
    record_.blankLine = recordBytes_ == 0;
    record_.unclosedQuote = state_ == State::Quoted;
    complete_ = true;
    ++records_;
}

// After a record was handed over: its storage is free for the next one.
void CsvReader::StartRecord() {
    complete_ = false;
    state_ = State::FieldStart;
    recordBytes_ = 0;
    fieldCount_ = 0;
    values_.clear();
    ends_.clear();
}

bool CsvReader::FinishRecord() {
    if (tooLong_) return false;
    if (bom_ == Bom::Unknown) {
        // Fewer than 3 bytes came, all of them the mark's first: they are data.
        bom_ = Bom::Absent;
        const std::string held = bomBytes_;
        bomBytes_.clear();
        if (!held.empty()) Scan(held, 0);
    }
    // Nothing since the last line end: the input ended with a whole record.
    if (recordBytes_ == 0 && state_ == State::FieldStart && fieldCount_ == 0) return false;
    EndRecord();
    return true;
}

// The first bytes of the input, held back until they can be told apart from
// the byte order mark. False while that is still open.
bool CsvReader::CheckByteOrderMark(std::string_view bytes, size_t& i) {
    while (i < bytes.size() && bomBytes_.size() < BYTE_ORDER_MARK_SIZE &&
           bytes[i] == BYTE_ORDER_MARK[bomBytes_.size()]) {
        bomBytes_ += bytes[i++];
    }
    if (bomBytes_.size() == BYTE_ORDER_MARK_SIZE) {
        bom_ = Bom::Present;
        bomBytes_.clear();
        return true;
    }
    if (i == bytes.size()) return false;
    // A byte that breaks the mark: the bytes held back (none of them a comma,
    // quote or line end) begin the first field after all.
    bom_ = Bom::Absent;
    const std::string held = bomBytes_;
    bomBytes_.clear();
    if (!held.empty()) Scan(held, 0);
    return true;
}

size_t CsvReader::Scan(std::string_view bytes, size_t i) {
    if (bom_ == Bom::Unknown && !CheckByteOrderMark(bytes, i)) return i;
    const char* const data = bytes.data();
    const size_t size = bytes.size();
    while (i < size && !tooLong_) {
        const char c = data[i];
        if (afterCR_) {
            afterCR_ = false;
            if (c == '\n') {
                ++i;
                continue;
            }
        }
        switch (state_) {
            case State::FieldStart:
            case State::Unquoted:
            case State::AfterQuoted:
                if (c == ',') {
                    EndField();
                    Count(1);
                    state_ = State::FieldStart;
                    ++i;
                } else if (c == '\r' || c == '\n') {
                    afterCR_ = c == '\r';
                    EndRecord();
                    return i + 1;
                } else if (c == '"' && state_ == State::FieldStart) {
                    Count(1);
                    state_ = State::Quoted;
                    ++i;
                } else {
                    // A run of plain bytes at once.
                    size_t end = i + 1;
                    while (end < size && data[end] != ',' && data[end] != '\r' && data[end] != '\n') ++end;
                    Count(end - i);
                    Keep(data + i, end - i);
                    if (state_ == State::FieldStart) state_ = State::Unquoted;
                    i = end;
                }
                break;
            case State::Quoted: {
                const void* quote = std::memchr(data + i, '"', size - i);
                const size_t end = quote ? static_cast<size_t>(static_cast<const char*>(quote) - data) : size;
                Count(end - i);
                Keep(data + i, end - i);
                if (end < size) {
                    Count(1);
                    state_ = State::QuoteInQuoted;
                    i = end + 1;
                } else {
                    i = end;
                }
                break;
            }
            case State::QuoteInQuoted:
                if (c == '"') {
                    // A doubled quote: one quote of the value.
                    Count(1);
                    Keep("\"", 1);
                    state_ = State::Quoted;
                    ++i;
                } else {
                    state_ = State::AfterQuoted;  // that was the closing quote; c is read again
                }
                break;
        }
    }
    return i;
}

void AppendCsvField(std::string& out, std::string_view value) {
    if (value.empty()) return;  // the common padding of a short row, at no cost
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(value.data(), value.size());
        return;
    }
    out += '"';
    for (char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendCsvRecord(std::string& out, const std::vector<std::string_view>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        AppendCsvField(out, fields[i]);
    }
    out += "\r\n";
}
