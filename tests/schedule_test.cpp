#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control_ids.h"
#include "csv.h"
#include "rules_engine.h"
#include "schedule_check.h"

namespace {

using Fields = std::vector<std::string>;

struct ReadRecord {
    Fields fields;
    bool blankLine = false;
    bool unclosedQuote = false;
    size_t fieldCount = 0;
    bool operator==(const ReadRecord& o) const {
        return fields == o.fields && blankLine == o.blankLine && unclosedQuote == o.unclosedQuote &&
               fieldCount == o.fieldCount;
    }
};

std::ostream& operator<<(std::ostream& out, const ReadRecord& r) {
    out << "[";
    for (const std::string& f : r.fields) out << '<' << f << '>';
    return out << " of " << r.fieldCount << (r.blankLine ? " blank" : "") << (r.unclosedQuote ? " unclosed" : "")
               << "]";
}

struct Reading {
    size_t piece = 0;  // fed in pieces of this many bytes (0: all at once)
    size_t maxRecordBytes = 1 << 20;
    size_t maxFields = SIZE_MAX;
    bool stopAfterEachRecord = false;  // and each piece fed again from where it stopped
};

std::vector<ReadRecord> ReadAll(const std::string& input, Reading how = {}, bool* hadMark = nullptr) {
    CsvReader reader(how.maxRecordBytes, how.maxFields);
    std::vector<ReadRecord> records;
    auto take = [&](const CsvRecord& r) {
        ReadRecord copy;
        for (std::string_view f : r.fields) copy.fields.emplace_back(f);
        copy.blankLine = r.blankLine;
        copy.unclosedQuote = r.unclosedQuote;
        copy.fieldCount = r.fieldCount;
        records.push_back(copy);
        return !how.stopAfterEachRecord;
    };
    const size_t step = how.piece == 0 ? std::max<size_t>(input.size(), 1) : how.piece;
    for (size_t i = 0; i < input.size(); i += step) {
        std::string_view rest = std::string_view(input).substr(i, step);
        while (!rest.empty() && !reader.TooLong()) {
            const size_t recordsBefore = records.size();
            const size_t read = reader.Feed(rest, take);
            // Stopping ends the feed right after the record; going on reads all.
            EXPECT_LE(records.size(), how.stopAfterEachRecord ? recordsBefore + 1 : SIZE_MAX);
            if (!reader.TooLong() && records.size() == recordsBefore) {
                EXPECT_EQ(read, rest.size());
            }
            rest.remove_prefix(read);
        }
        if (reader.TooLong()) return records;
    }
    reader.Finish(take);
    if (hadMark) *hadMark = reader.HadByteOrderMark();
    return records;
}

ReadRecord R(Fields fields, bool blankLine = false, bool unclosedQuote = false) {
    const size_t count = fields.size();
    return ReadRecord{std::move(fields), blankLine, unclosedQuote, count};
}

TEST(CsvReader, ReadsRecordsAsSpreadsheetsWriteThem) {
    const ReadRecord blank = R({""}, true);
    const struct {
        const char* name;
        std::string input;
        std::vector<ReadRecord> records;
    } cases[] = {
        {"empty input", "", {}},
        {"one field, no line end", "a", {R({"a"})}},
        {"LF line ends", "a,b\nc,d\n", {R({"a", "b"}), R({"c", "d"})}},
        {"CR LF line ends", "a,b\r\nc,d\r\n", {R({"a", "b"}), R({"c", "d"})}},
        {"lone CR line ends", "a\rb\r", {R({"a"}), R({"b"})}},
        {"no line end after the last record", "a\r\nb", {R({"a"}), R({"b"})}},
        {"empty fields", ",,\n", {R({"", "", ""})}},
        {"blank lines are records of their own", "a\n\r\n\nb", {R({"a"}), blank, blank, R({"b"})}},
        {"quoted commas", "\"a,b\",c\n", {R({"a,b", "c"})}},
        {"doubled quotes", "\"say \"\"hi\"\"\",\"\"\"\"\n", {R({"say \"hi\"", "\""})}},
        {"quoted empty field", "\"\",x\n", {R({"", "x"})}},
        {"a quoted empty line is no blank line", "\"\"\n", {R({""})}},
        {"line breaks inside quotes are data", "\"1\r\n2\n3\r4\",x\r\n", {R({"1\r\n2\n3\r4", "x"})}},
        {"spaces belong to the field", " a , \"b\" \n", {R({" a ", " \"b\" "})}},
        {"text after a closing quote is kept", "\"ab\"cd,e\n", {R({"abcd", "e"})}},
        {"a quote inside an unquoted field is kept", "ab\"c,d\n", {R({"ab\"c", "d"})}},
        {"bytes above 127 are data", "\xE0\xFF,\"\xE9\"\n", {R({"\xE0\xFF", "\xE9"})}},
        {"zero bytes are data", std::string("a\0b,c\n", 6), {R({std::string("a\0b", 3), "c"})}},
        {"an unclosed quote runs to the end", "a,\"b\nc,d\n", {R({"a", "b\nc,d\n"}, false, true)}},
        {"a closing quote at the very end", "a,\"b\"", {R({"a", "b"})}},
        {"byte order mark",
         "\xEF\xBB\xBF"
         "diagram,options\n",
         {R({"diagram", "options"})}},
        {"part of a byte order mark is data", "\xEF\xBBx,y", {R({"\xEF\xBBx", "y"})}},
        {"a lone first byte of the mark is data", "\xEF", {R({"\xEF"})}},
        {"the mark counts only at the start",
         "a\n\xEF\xBB\xBF"
         "b",
         {R({"a"}), R({"\xEF\xBB\xBF"
                       "b"})}},
    };
    for (const auto& c : cases) {
        // Whole, a byte at a time and in pieces of 2 and 3 bytes: a record
        // split anywhere reads the same, also when the reading stops after
        // each record and goes on from there.
        for (size_t piece : {0, 1, 2, 3}) {
            for (bool stop : {false, true}) {
                EXPECT_EQ(ReadAll(c.input, {piece, 1 << 20, SIZE_MAX, stop}), c.records)
                    << c.name << ", pieces of " << piece << (stop ? ", stopping after each record" : "");
            }
        }
    }
}

TEST(CsvReader, TellsWhetherTheInputBeganWithTheByteOrderMark) {
    for (size_t piece : {0, 1, 2}) {
        bool mark = false;
        ReadAll(
            "\xEF\xBB\xBF"
            "a",
            {piece, 100}, &mark);
        EXPECT_TRUE(mark) << piece;
        ReadAll(
            "\xEF\xBB"
            "a",
            {piece, 100}, &mark);
        EXPECT_FALSE(mark) << piece;
        ReadAll("\xEF\xBB\xBF", {piece, 100}, &mark);
        EXPECT_TRUE(mark) << piece;
    }
}

TEST(CsvReader, RefusesARecordLongerThanItsBound) {
    const struct {
        const char* name;
        std::string input;
        size_t records;  // handed over before the refusal; all of them when none
        bool refused;
    } cases[] = {
        {"ten bytes fit", "0123456789\nab", 2, false},
        {"eleven do not", "ab\n0123456789x\nab", 1, true},
        {"separators count", "01234,6789\n", 1, false},
        {"and the eleventh is refused", "01234,67890\n", 0, true},
        {"quotes count", "\"0123456\"\n", 1, false},
        {"doubled ones too", "\"01234\"\"56\"\n", 0, true},
        {"line ends do not count", "0123456789\r\n0123456789\r\n", 2, false},
        {"an unclosed quote is refused once it is too long", "\"0123456789\n", 0, true},
    };
    for (const auto& c : cases) {
        for (size_t piece : {0, 1, 4}) {
            CsvReader reader(10);
            size_t records = 0;
            bool going = true;
            for (size_t i = 0; going && i < c.input.size(); i += piece ? piece : c.input.size()) {
                reader.Feed(c.input.substr(i, piece ? piece : c.input.size()), [&](const CsvRecord&) {
                    ++records;
                    return true;
                });
                going = !reader.TooLong();
            }
            if (going) reader.Finish([&](const CsvRecord&) { ++records; });
            EXPECT_EQ(!going, c.refused) << c.name << ", pieces of " << piece;
            EXPECT_EQ(reader.TooLong(), c.refused) << c.name;
            EXPECT_EQ(records, c.records) << c.name << ", pieces of " << piece;
        }
    }
}

TEST(CsvReader, KeepsTheFirstFieldsOfARecordAndCountsTheOthers) {
    const struct {
        const char* name;
        std::string input;
        std::vector<ReadRecord> records;
    } cases[] = {
        {"as many fields as kept", "a,b,c\n", {R({"a", "b", "c"})}},
        {"one more", "a,b,c,d\n", {ReadRecord{{"a", "b", "c"}, false, false, 4}}},
        {"many more, quoted and empty",
         "a,\"b,\",c,\"d\"\"\",,\n,\n",
         {ReadRecord{{"a", "b,", "c"}, false, false, 6}, R({"", ""})}},
        {"the next record starts afresh", "1,2,3,4,5\nx\n", {ReadRecord{{"1", "2", "3"}, false, false, 5}, R({"x"})}},
        {"an unclosed quote past the kept fields", "a,b,c,\"d\ne", {ReadRecord{{"a", "b", "c"}, false, true, 4}}},
    };
    for (const auto& c : cases) {
        for (size_t piece : {0, 1, 2}) {
            EXPECT_EQ(ReadAll(c.input, {piece, 1 << 20, 3}), c.records) << c.name << ", pieces of " << piece;
        }
    }
    // The fields not kept still count against the record's bound.
    EXPECT_EQ(ReadAll("a,b,c,0123456789\n", {0, 10, 3}), std::vector<ReadRecord>{});
}

TEST(CsvWriter, QuotesOnlyWhatNeedsItAndReadsBackTheSameValues) {
    const struct {
        std::vector<std::string_view> fields;
        const char* written;
    } cases[] = {
        {{"652", "", "a b"}, "652,,a b\r\n"},
        {{"a,b"}, "\"a,b\"\r\n"},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
        {{"1\r\n2", "3\n", "\r"}, "\"1\r\n2\",\"3\n\",\"\r\"\r\n"},
        {{" padded ", "\xE0\xFF"}, " padded ,\xE0\xFF\r\n"},
        {{""}, "\r\n"},
    };
    for (const auto& c : cases) {
        std::string out;
        AppendCsvRecord(out, c.fields);
        EXPECT_EQ(out, c.written);
        const std::vector<ReadRecord> back = ReadAll(out);
        ASSERT_EQ(back.size(), 1u) << c.written;
        EXPECT_EQ(back[0].fields, Fields(c.fields.begin(), c.fields.end())) << c.written;
    }
}

// Runs a whole schedule through a check fed in pieces of `piece` bytes.
struct CheckRun {
    bool ok = false;
    std::string output, failure;
    uint64_t rows = 0, errors = 0;
};

CheckRun Check(const std::string& input, size_t piece = 0, uint64_t answerLimit = UINT64_MAX) {
    ScheduleCheck check;
    check.LimitAnswer(answerLimit);
    CheckRun run;
    const size_t step = piece == 0 ? std::max<size_t>(input.size(), 1) : piece;
    for (size_t i = 0; !check.Failed() && i < input.size(); i += step) {
        // Fed again from where it stopped until the piece is read.
        std::string_view rest = std::string_view(input).substr(i, step);
        while (!rest.empty() && !check.Failed()) {
            rest.remove_prefix(check.Feed(rest));
            run.output += check.Output();
            check.Output().clear();
        }
    }
    run.ok = !check.Failed() && check.Finish();
    run.output += check.Output();
    run.failure = check.Failure();
    run.rows = check.Rows();
    run.errors = check.RowsWithErrors();
    return run;
}

const std::string HEADING = "The minimum illumination to comply with TSRGD 2016 is:";
const std::string JUDGEMENT =
    "but use your engineering judgement to determine whether additional illumination is needed.";
const std::string ADDED = ",row,verdict,heading,result,note,error\r\n";

constexpr size_t MAX = ScheduleCheck::MAX_COLUMNS;

// A header of `count` columns, the first two "diagram" and "options".
std::string HeaderOf(size_t count) {
    std::string header = "diagram,options";
    for (size_t i = 2; i < count; ++i) header += ",c" + std::to_string(i);
    return header;
}

TEST(ScheduleCheck, AnswersEachRowAsTheDialogFirstShowsIt) {
    const struct {
        const char* name;
        std::string row;        // under the header "ref,diagram,options"
        std::string answer;     // the output row after the input's columns, which come back as they were
        std::string kept = "";  // or as this, where they are quoted or padded differently
    } cases[] = {
        {"a match with options", "a,652,1", "27,1," + HEADING + ",reflectorised," + JUDGEMENT + ","},
        {"options as /Q writes them", "b,631,&H8", "13,3," + HEADING + ",internal lighting,,"},
        {"options with blanks around them", "b,631, 8 ", "13,3," + HEADING + ",internal lighting,,"},
        {"empty options are 0", "c,501,", "1,1," + HEADING + ",reflectorised," + JUDGEMENT + ","},
        {"blank options are 0", "c,501,  ", "1,1," + HEADING + ",reflectorised," + JUDGEMENT + ","},
        {"the text is normalised", "d, 642-2 ,0", "15,0," + HEADING + ",none," + JUDGEMENT + ","},
        {"no rule", "e,10000,0", "0,,,,,"},
        {"too short to match", "e,60,1", "0,,,,,"},
        {"a tool that does not apply", "f,1234,0", "102,-1,This tool is not applicable to road markings,,,"},
        {"an empty diagram is none", "g,,0",
         "109,1,The illumination requirement for signs with no diagram number is:,reflectorised,\"except that plates "
         "for waiting and loading, signs intended only for cyclists or pedestrians and most brown tourist signs don't "
         "legally need any illumination.\","},
        {"so is one of spaces", "g,  ,&H811", "109,2," + HEADING + ",internal or external lighting,,"},
        {"a leading quote is no diagram text", "h,\"652\",\"1\"",
         "27,1," + HEADING + ",reflectorised," + JUDGEMENT + ",", "h,652,1"},
        {"bad options", "i,652,abc",
         ",,,,,\"options: not a number (decimal, &H.. hexadecimal, &B.. binary or &O.. octal)\""},
        {"options with text after them", "i,652,8x",
         ",,,,,\"options: not a number (decimal, &H.. hexadecimal, &B.. binary or &O.. octal)\""},
        {"a row without its options", "j,652", ",,,,,2 fields where the header has 3", "j,652,"},
        {"a row without its diagram", "k", ",,,,,1 field where the header has 3", "k,,"},
        {"a long row", "l,652,1,x,y", ",,,,,5 fields where the header has 3; the extra fields follow this column,x,y",
         "l,652,1"},
        {"a row of as many fields as a header may have", "m,652,1" + std::string(MAX - 3, ','),
         ",,,,,16384 fields where the header has 3; the extra fields follow this column" + std::string(MAX - 3, ','),
         "m,652,1"},
        {"one more field", "n,652,1" + std::string(MAX - 2, ','),
         ",,,,,\"16385 fields where the header has 3; a row may have at most 16384, so the extra fields are left "
         "out\"",
         "n,652,1"},
        {"a row of 400002 fields", "o,652,1" + std::string(400002 - 3, ','),
         ",,,,,\"400002 fields where the header has 3; a row may have at most 16384, so the extra fields are left "
         "out\"",
         "o,652,1"},
    };
    for (const auto& c : cases) {
        const CheckRun run = Check("ref,diagram,options\n" + c.row + "\n");
        ASSERT_TRUE(run.ok) << c.name << ": " << run.failure;
        const std::string expectedRow = c.kept.empty() ? c.row : c.kept;
        EXPECT_EQ(run.output, "ref,diagram,options" + ADDED + expectedRow + "," + c.answer + "\r\n") << c.name;
        EXPECT_EQ(run.rows, 1u) << c.name;
        EXPECT_EQ(run.errors, c.answer.find(",,,,,") == 0 ? 1u : 0u) << c.name;
    }
}

TEST(ScheduleCheck, FindsItsColumnsByName) {
    const struct {
        std::string header;
        const char* failure;  // empty when the header is taken
    } cases[] = {
        {HeaderOf(MAX), ""},
        {HeaderOf(MAX + 1), "the header row has 16385 columns; a schedule may have at most 16384"},
        {HeaderOf(2) + std::string(1048556, ','),
         "the header row has 1048558 columns; a schedule may have at most 16384"},
        {"diagram,options", ""},
        {" Diagram ,OPTIONS", ""},
        {"options,x,diagram", ""},
        {"diagram", "the header row has no \"options\" column; it needs both \"diagram\" and \"options\""},
        {"number,opts",
         "the header row has no \"diagram\" and no \"options\" column; it needs both \"diagram\" and \"options\""},
        {"\"diagram\",options", ""},
        {"diagram number,options",
         "the header row has no \"diagram\" column; it needs both \"diagram\" and \"options\""},
        {"diagram,options,DIAGRAM", "the header row names 2 \"diagram\" columns; it must name one"},
        {"", "the header row has no \"diagram\" and no \"options\" column; it needs both \"diagram\" and \"options\""},
    };
    for (const auto& c : cases) {
        const CheckRun run = Check(c.header + "\n");
        const std::string shown = c.header.substr(0, 40);
        EXPECT_EQ(run.ok, *c.failure == 0) << shown;
        EXPECT_EQ(run.failure, c.failure) << shown;
        if (!run.ok) {
            EXPECT_EQ(run.output, "") << shown;
        } else if (c.header.find('"') == std::string::npos) {
            // (A quoted name comes back as the writer writes it, unquoted.)
            EXPECT_EQ(run.output, c.header + ADDED) << shown;
        }
    }
    const CheckRun empty = Check("");
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.failure, "the file is empty; it needs a header row naming a \"diagram\" and an \"options\" column");
}

// Rows that leave out empty columns at their end are padded.
TEST(ScheduleCheck, KeepsEveryColumnTheMarkAndBlankLines) {
    const std::string input =
        "\xEF\xBB\xBF"
        "note,options,diagram,remark\r\n"
        "\"a, \"\"quoted\"\"\nnote \xE9\",1,652\r\n"
        "\r\n"
        ",\"\",\"\"";
    const std::string expected =
        "\xEF\xBB\xBF"
        "note,options,diagram,remark" +
        ADDED + "\"a, \"\"quoted\"\"\nnote \xE9\",1,652,,27,1," + HEADING + ",reflectorised," + JUDGEMENT +
        ",\r\n"
        "\r\n"
        ",,,,109,1,The illumination requirement for signs with no diagram number is:,reflectorised,\"except that "
        "plates for waiting and loading, signs intended only for cyclists or pedestrians and most brown tourist "
        "signs don't legally need any illumination.\",\r\n";
    for (size_t piece : {0, 1, 7}) {
        const CheckRun run = Check(input, piece);
        EXPECT_TRUE(run.ok) << run.failure;
        EXPECT_EQ(run.output, expected) << "pieces of " << piece;
        EXPECT_EQ(run.rows, 2u);
    }
}

TEST(ScheduleCheck, AnUnclosedQuoteIsAnErrorOfItsRow) {
    const CheckRun run = Check("diagram,options\n652,1\n\"501,0\n");
    EXPECT_TRUE(run.ok);
    EXPECT_EQ(run.errors, 1u);
    EXPECT_NE(run.output.find("\"501,0\n\",,,,,,,\"1 field where the header has 2; a quoted field has no closing "
                              "quote, so it runs to the end of the file\"\r\n"),
              std::string::npos)
        << run.output;
}

TEST(ScheduleCheck, StopsAtARowLongerThanTheBoundAfterAnsweringTheOnesBefore) {
    const std::string input =
        "diagram,options\n652,1\n" + std::string(ScheduleCheck::MAX_RECORD_BYTES + 1, '5') + "\n501,0\n";
    const CheckRun run = Check(input, 1 << 16);
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.failure, "row 3 of the file (the header is row 1) is longer than 1048576 bytes");
    EXPECT_EQ(run.rows, 1u);
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 2);
}

// A dialog model as a user would see it, and the engine state behind it.
std::string Snapshot(const MainDialogModel& dialog) {
    const EngineState& state = dialog.State();
    std::string seen = "row " + std::to_string(state.matchedRow) + " record ";
    seen.append(reinterpret_cast<const char*>(&state.resultRecord), sizeof state.resultRecord);
    for (int id : {IDC_DIAGRAM_NUMBER, IDC_NONE, IDC_LAMP_COLUMN, IDC_NORMAL_POSTS, IDC_SELF_RIGHTING_BOLLARD,
                   IDC_BOLLARD, IDC_GANTRY, IDC_SIGNAL_HEAD, IDC_20MPH, IDC_REPEATER, IDC_CONDITION, IDC_RESULT,
                   IDC_RESULT_HEADER, IDC_RESULT_NOTE}) {
        const ModelControl& control = dialog.Control(id);
        seen += "|" + control.text + (control.ticked ? " ticked" : "") + (control.enabled ? "" : " disabled") +
                (control.shown ? "" : " hidden");
    }
    return seen;
}

// Two dialogs open side by side and a schedule checked while both are
// shown: each keeps its own match, ticks and record, and a change of an
// option afterwards gives what it gives on a dialog that was alone.
TEST(EngineStates, DialogsAndAScheduleCheckNeverSeeEachOthersState) {
    const struct Case {
        const char* diagram;
        int32_t options;
        std::vector<int> clicks;  // before the schedule is checked
        int changed;              // clicked twice after it: untick and tick again
    } cases[] = {
        {"610", 0, {IDC_LAMP_COLUMN}, IDC_LAMP_COLUMN},
        {"652", 1, {IDC_CONDITION}, IDC_CONDITION},
        {"1234", 0, {}, IDC_NONE},
        {"", 2049, {IDC_NONE, IDC_GANTRY}, IDC_LAMP_COLUMN},
        {"631", 0, {IDC_BOLLARD}, IDC_20MPH},
        {"10000", 1, {IDC_LAMP_COLUMN}, IDC_LAMP_COLUMN},
    };
    // Rows that match, tick, reach "none", the last row and an error, so that
    // every part of a state that the check uses is written.
    const std::string schedule = "diagram,options\r\n652,0\r\n610,&H801\r\n,1\r\n954.1,8\r\n8123,-1\r\n1234,abc\r\n";
    const CheckRun alone = Check(schedule);
    ASSERT_TRUE(alone.ok) << alone.failure;

    const auto show = [](const Case& c) {
        auto dialog = std::make_unique<MainDialogModel>(c.diagram, c.options);
        for (int id : c.clicks) dialog->Click(id);
        return dialog;
    };
    const auto change = [](MainDialogModel& dialog, int id) {
        dialog.Click(id);
        dialog.Click(id);
    };
    for (const Case& a : cases) {
        for (const Case& b : cases) {
            SCOPED_TRACE(std::string("\"") + a.diagram + "\" beside \"" + b.diagram + "\"");
            const auto lone = show(a);
            change(*lone, a.changed);
            const std::string aChanged = Snapshot(*lone);

            const auto first = show(a);
            const std::string aShown = Snapshot(*first);
            const auto second = show(b);
            EXPECT_EQ(Snapshot(*first), aShown);
            const std::string bShown = Snapshot(*second);

            const CheckRun between = Check(schedule);
            EXPECT_EQ(between.output, alone.output);
            EXPECT_EQ(Snapshot(*first), aShown);
            EXPECT_EQ(Snapshot(*second), bShown);

            change(*first, a.changed);
            EXPECT_EQ(Snapshot(*first), aChanged);
            EXPECT_EQ(Snapshot(*second), bShown);
        }
    }
    // The page's case: 610 within 50m of a lamp column needs lighting,
    // before and after a schedule whose row leaves the lamp column clear.
    MainDialogModel dialog("610");
    dialog.Click(IDC_LAMP_COLUMN);
    ASSERT_EQ(dialog.Control(IDC_RESULT).text, "internal or external lighting");
    ASSERT_TRUE(Check("diagram,options\n652,0\n").ok);
    change(dialog, IDC_LAMP_COLUMN);
    EXPECT_EQ(dialog.Control(IDC_RESULT).text, "internal or external lighting");
    EXPECT_EQ(dialog.Control(IDC_RESULT_NOTE).text, "");
    EXPECT_EQ(dialog.State().OptionSet(), 1 << OPT_LAMP_COLUMN);
}

// A wide header makes every short row a long answer: however large the
// piece fed, the answer is handed over a bounded step at a time.
TEST(ScheduleCheck, HandsOverTheAnswerAStepAtATime) {
    const std::string rowAnswer =
        "652,1" + std::string(MAX - 2, ',') + ",27,1," + HEADING + ",reflectorised," + JUDGEMENT + ",\r\n";
    std::string input = HeaderOf(MAX) + "\n";
    std::string expected = HeaderOf(MAX) + ADDED;
    for (int i = 0; i < 300; ++i) {
        input += "652,1\n";
        expected += rowAnswer;
    }
    ScheduleCheck check;
    std::string output;
    size_t largest = 0;
    std::string_view rest = input;
    while (!rest.empty() && !check.Failed()) {
        rest.remove_prefix(check.Feed(rest));
        largest = std::max(largest, check.Output().size());
        output += check.Output();
        check.Output().clear();
    }
    ASSERT_TRUE(check.Finish()) << check.Failure();
    output += check.Output();
    EXPECT_EQ(output, expected);
    EXPECT_EQ(check.Rows(), 300u);
    EXPECT_LT(largest, ScheduleCheck::OUTPUT_STEP + std::max(rowAnswer.size(), (HeaderOf(MAX) + ADDED).size()));
}

TEST(ScheduleCheck, RefusesAnAnswerThatWouldPassItsLimitAtTheRowThatWouldTakeItThere) {
    const std::string input = "diagram,options\n652,1\n501,0\n\n631,8\n";
    const CheckRun whole = Check(input);
    ASSERT_TRUE(whole.ok);
    const size_t header = ("diagram,options" + ADDED).size();
    const size_t lastRow = whole.output.size() - whole.output.rfind("631,8");
    const std::string past = " of the file (the header is row 1) would take the answer past ";
    const struct {
        uint64_t limit;
        uint64_t rows;  // answered before the refusal
        std::string failure;
    } cases[] = {
        {whole.output.size(), 3, ""},
        {whole.output.size() - 1, 2, "row 5" + past + std::to_string(whole.output.size() - 1) + " bytes"},
        {whole.output.size() - lastRow, 2, "row 5" + past + std::to_string(whole.output.size() - lastRow) + " bytes"},
        {header, 0, "row 2" + past + std::to_string(header) + " bytes"},
        {header - 1, 0, "row 1" + past + std::to_string(header - 1) + " bytes"},
        {0, 0, "row 1" + past + "0 MiB"},
    };
    for (const auto& c : cases) {
        for (size_t piece : {0, 1}) {
            const CheckRun run = Check(input, piece, c.limit);
            EXPECT_EQ(run.ok, c.failure.empty()) << c.limit;
            EXPECT_EQ(run.failure, c.failure) << c.limit;
            EXPECT_EQ(run.rows, c.rows) << c.limit;
            // What was made is the answer's beginning, within the limit.
            EXPECT_LE(run.output.size(), c.limit);
            EXPECT_EQ(whole.output.compare(0, run.output.size(), run.output), 0) << c.limit;
        }
    }

    // Whole MiB are named as such: a wide header passes 1 MiB within a
    // few dozen short rows.
    std::string wide = HeaderOf(MAX) + "\n";
    for (int i = 0; i < 100; ++i) wide += "652,1\n";
    const size_t headerAnswer = (HeaderOf(MAX) + ADDED).size();
    const size_t rowAnswer =
        ("652,1" + std::string(MAX - 2, ',') + ",27,1," + HEADING + ",reflectorised," + JUDGEMENT + ",\r\n").size();
    const uint64_t rowsWithin = ((uint64_t{1} << 20) - headerAnswer) / rowAnswer;
    const CheckRun run = Check(wide, 1 << 16, uint64_t{1} << 20);
    EXPECT_EQ(run.failure, "row " + std::to_string(rowsWithin + 2) + past + "1 MiB");
    EXPECT_EQ(run.rows, rowsWithin);
}

}  // namespace
