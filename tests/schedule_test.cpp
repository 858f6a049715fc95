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
    bool operator==(const ReadRecord& o) const {
        return fields == o.fields && blankLine == o.blankLine && unclosedQuote == o.unclosedQuote;
    }
};

std::ostream& operator<<(std::ostream& out, const ReadRecord& r) {
    out << "[";
    for (const std::string& f : r.fields) out << '<' << f << '>';
    return out << (r.blankLine ? " blank" : "") << (r.unclosedQuote ? " unclosed" : "") << "]";
}

// Reads `input` fed in pieces of `piece` bytes (0: all at once).
std::vector<ReadRecord> ReadAll(const std::string& input, size_t piece = 0, size_t maxRecordBytes = 1 << 20,
                                bool* hadMark = nullptr) {
    CsvReader reader(maxRecordBytes);
    std::vector<ReadRecord> records;
    auto take = [&](const CsvRecord& r) {
        ReadRecord copy;
        for (std::string_view f : r.fields) copy.fields.emplace_back(f);
        copy.blankLine = r.blankLine;
        copy.unclosedQuote = r.unclosedQuote;
        records.push_back(copy);
    };
    const size_t step = piece == 0 ? std::max<size_t>(input.size(), 1) : piece;
    for (size_t i = 0; i < input.size(); i += step) {
        if (!reader.Feed(std::string_view(input).substr(i, step), take)) return records;
    }
    reader.Finish(take);
    if (hadMark) *hadMark = reader.HadByteOrderMark();
    return records;
}

ReadRecord R(Fields fields) { return ReadRecord{std::move(fields)}; }

TEST(CsvReader, ReadsRecordsAsSpreadsheetsWriteThem) {
    const ReadRecord blank{{""}, true, false};
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
        {"an unclosed quote runs to the end", "a,\"b\nc,d\n", {ReadRecord{{"a", "b\nc,d\n"}, false, true}}},
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
        // split anywhere reads the same.
        for (size_t piece : {0, 1, 2, 3}) {
            EXPECT_EQ(ReadAll(c.input, piece), c.records) << c.name << ", pieces of " << piece;
        }
    }
}

TEST(CsvReader, TellsWhetherTheInputBeganWithTheByteOrderMark) {
    for (size_t piece : {0, 1, 2}) {
        bool mark = false;
        ReadAll(
            "\xEF\xBB\xBF"
            "a",
            piece, 100, &mark);
        EXPECT_TRUE(mark) << piece;
        ReadAll(
            "\xEF\xBB"
            "a",
            piece, 100, &mark);
        EXPECT_FALSE(mark) << piece;
        ReadAll("\xEF\xBB\xBF", piece, 100, &mark);
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
                going = reader.Feed(c.input.substr(i, piece ? piece : c.input.size()),
                                    [&](const CsvRecord&) { ++records; });
            }
            if (going) reader.Finish([&](const CsvRecord&) { ++records; });
            EXPECT_EQ(!going, c.refused) << c.name << ", pieces of " << piece;
            EXPECT_EQ(reader.TooLong(), c.refused) << c.name;
            EXPECT_EQ(records, c.records) << c.name << ", pieces of " << piece;
        }
    }
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

CheckRun Check(const std::string& input, size_t piece = 0) {
    ScheduleCheck check;
    CheckRun run;
    bool going = true;
    const size_t step = piece == 0 ? std::max<size_t>(input.size(), 1) : piece;
    for (size_t i = 0; going && i < input.size(); i += step) {
        going = check.Feed(std::string_view(input).substr(i, step));
        run.output += check.Output();
        check.Output().clear();
    }
    run.ok = going && check.Finish();
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
        const char* header;
        const char* failure;  // empty when the header is taken
    } cases[] = {
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
        const CheckRun run = Check(std::string(c.header) + "\n");
        EXPECT_EQ(run.ok, *c.failure == 0) << c.header;
        EXPECT_EQ(run.failure, c.failure) << c.header;
        if (!run.ok) {
            EXPECT_EQ(run.output, "") << c.header;
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

}  // namespace
