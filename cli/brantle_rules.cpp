// brantle-rules: the illumination rules engine from the command line, for a
// quick lookup from a script or for checking a whole sign schedule at once.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "control_ids.h"
#include "dialog_model.h"
#include "read_number.h"
#include "result_record.h"
#include "rules_engine.h"
#include "schedule_check.h"

namespace {

const char USAGE[] =
    "Usage: brantle-rules [options] DIAGRAM...\n"
    "       brantle-rules [options] --none\n"
    "       brantle-rules --batch < lines\n"
    "       brantle-rules --csv < schedule.csv > answers.csv\n"
    "\n"
    "Shows the minimum illumination that a traffic sign needs, as the Brantle\n"
    "dialog would show it for each diagram number.\n"
    "\n"
    "Options describing the sign:\n"
    "  --lamp-column            within 50m of a lamp column\n"
    "  --normal-posts           mounted on normal post(s)\n"
    "  --self-righting-bollard  mounted on a self-righting bollard\n"
    "  --bollard                mounted on an internally illuminated (or other) bollard\n"
    "  --gantry                 mounted on a gantry or bridge structure\n"
    "  --signal-head            mounted on a traffic signal head\n"
    "  --20mph                  in a 20 mph speed limit or zone\n"
    "  --repeater               a repeater sign\n"
    "  --condition              the extra condition that some diagrams have is met\n"
    "  --options N              a raw option set (bits as in the calling interface),\n"
    "                           written as for /Q: decimal, &H.. hexadecimal,\n"
    "                           &B.. binary or &O.. octal\n"
    "  --none                   a sign without a diagram number\n"
    "  --                       the arguments after it are diagram numbers\n"
    "\n"
    "--batch reads lines of OPTIONS<TAB>TEXT[<TAB>EVENT...] from standard input,\n"
    "where OPTIONS is a number written as for --options (an empty field is 0)\n"
    "and an EVENT is type=T, click=N (option N: 0-5, 9-11), none=1 or none=0;\n"
    "a line without a tab is TEXT alone. It writes one line per input line:\n"
    "ROW, OPTIONS, VERDICT, HEADING, RESULT, NOTE, CONDITION, ENABLED, CHECKED\n"
    "and RECORD (hex), separated by tabs. Input lines may end in LF, CR LF or\n"
    "CR; a UTF-8 byte-order mark at the very start of the input is skipped.\n"
    "\n"
    "--csv reads a schedule as CSV from standard input: a header row that names\n"
    "a \"diagram\" and an \"options\" column (options written as for --options;\n"
    "an empty diagram is a sign without a number, empty options are 0). It\n"
    "writes every row back with all its columns, followed by row (the rule\n"
    "table's row that matched, 0 for none), verdict (-1 to 4), heading, result,\n"
    "note and error (why a row was not checked), as CSV with CR LF line ends.\n"
    "The header may name at most 16384 columns; a row with more fields than\n"
    "that gets its error, and only the header's columns of it are written back.\n"
    "\n"
    "Exit codes:\n"
    "  0  every answer was written\n"
    "  1  standard input could not be read or standard output could not be written\n"
    "  2  a wrong argument, a batch line with a bad OPTIONS value, a bad event\n"
    "     or more than 1 MiB, or a CSV schedule whose header lacks \"diagram\" or\n"
    "     \"options\" or names more than 16384 columns, or with a row longer than\n"
    "     1 MiB (the lines or rows before it were answered)\n"
#ifdef __EMSCRIPTEN__
    "\n"
    "Under Node, a closed standard stream cannot be told from an empty one:\n"
    "Node opens /dev/null in place of a closed standard input, output or error\n"
    "before this tool starts. A closed standard input reads as an empty one\n"
    "(--batch then answers nothing with exit code 0, --csv refuses an empty\n"
    "schedule with 2), and what is written to a closed standard output is lost\n"
    "with exit code 0. The native tool reports both with exit code 1.\n"
#endif
    ;

struct OptionFlag {
    const char* name;
    int option;
};

const OptionFlag OPTION_FLAGS[] = {
    {"--lamp-column", OPT_LAMP_COLUMN},
    {"--normal-posts", OPT_NORMAL_POSTS},
    {"--self-righting-bollard", OPT_SELF_RIGHTING_BOLLARD},
    {"--bollard", OPT_BOLLARD},
    {"--gantry", OPT_GANTRY},
    {"--signal-head", OPT_SIGNAL_HEAD},
    {"--20mph", OPT_20MPH},
    {"--repeater", OPT_REPEATER},
    {"--condition", OPT_CONDITION},
};

// The line's tab-separated parts, as views into it.
std::vector<std::string_view> SplitAtTabs(std::string_view line) {
    std::vector<std::string_view> parts;
    parts.reserve(8);
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return parts;
        start = tab + 1;
    }
}

// Which options' controls are enabled (bit 11: the extra box is shown) and
// which are ticked.
uint32_t EnabledMask(const MainDialogModel& dialog) {
    uint32_t mask = 0;
    for (int option = OPT_FIRST; option < OPT_CONDITION; ++option) {
        if (OptionHasControl(option) && dialog.Control(IDC_OPTION_BASE + option).enabled) mask |= Bit(option);
    }
    if (dialog.Control(IDC_CONDITION).shown) mask |= Bit(OPT_CONDITION);
    return mask;
}

uint32_t CheckedMask(const MainDialogModel& dialog) {
    uint32_t mask = 0;
    for (int option = OPT_FIRST; option <= OPT_LAST; ++option) {
        if (OptionHasControl(option) && dialog.Control(IDC_OPTION_BASE + option).ticked) mask |= Bit(option);
    }
    return mask;
}

// Appends a number as printf's %d or %u writes it.
template <typename Number>
void AppendNumber(std::string& out, Number value) {
    char digits[16];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void AppendRecordHex(std::string& out, const ResultRecord& record) {
    static const char DIGITS[] = "0123456789abcdef";
    char hex[2 * sizeof record];
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (size_t i = 0; i < sizeof record; ++i) {
        hex[2 * i] = DIGITS[bytes[i] >> 4];
        hex[2 * i + 1] = DIGITS[bytes[i] & 15];
    }
    out.append(hex, sizeof hex);
}

// The batch output line of a showing, built in a buffer that keeps its
// storage from line to line and written at once.
void WriteBatchResult(const MainDialogModel& dialog) {
    static std::string out;
    out.clear();
    const EngineState& state = dialog.State();
    AppendNumber(out, state.matchedRow);
    out += '\t';
    AppendNumber(out, state.OptionSet());
    out += '\t';
    if (state.matchedRow != 0) AppendNumber(out, MatchedVerdict(state));
    for (std::string_view text :
         {dialog.ShownText(IDC_RESULT_HEADER), std::string_view(dialog.Control(IDC_RESULT).text),
          dialog.ShownText(IDC_RESULT_NOTE), dialog.ShownText(IDC_CONDITION)}) {
        out += '\t';
        out += text.substr(0, text.find('\0'));  // up to a zero byte, as printf's %s reads it
    }
    out += '\t';
    AppendNumber(out, EnabledMask(dialog));
    out += '\t';
    AppendNumber(out, CheckedMask(dialog));
    out += '\t';
    AppendRecordHex(out, state.resultRecord);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
}

// Output that was not written in full is an error whatever else happened:
// a caller must not take a cut answer for a whole one. Returns `code`, or 1
// after reporting the failure.
int FinishOutput(int code) {
    const int flushError = std::fflush(stdout) == 0 ? 0 : errno;
    if (!std::ferror(stdout)) return code;
    std::fprintf(stderr, "brantle-rules: cannot write standard output%s%s\n", flushError ? ": " : "",
                 flushError ? std::strerror(flushError) : "");
    return 1;
}

// A fresh showing of the dialog for one batch line; false on a bad event.
bool RunBatchLine(const std::string& line, MainDialogModel& dialog, std::string& error) {
    const std::vector<std::string_view> parts = SplitAtTabs(line);
    std::string_view text = parts[0];
    int32_t options = 0;
    if (parts.size() > 1) {
        if (!parts[0].empty() && !ReadWholeNumberExactly(parts[0], options)) {
            error = "OPTIONS \"" + std::string(parts[0]) +
                    "\" is not a number (decimal, &H.. hexadecimal, &B.. binary or &O.. octal)";
            return false;
        }
        text = parts[1];
    }
    dialog.ResetState(options);
    dialog.Show(text);

    for (size_t i = 2; i < parts.size(); ++i) {
        const std::string_view event = parts[i];
        if (event.compare(0, 5, "type=") == 0) {
            dialog.Type(event.substr(5));
        } else if (event.compare(0, 6, "click=") == 0) {
            const std::string number(event.substr(6));
            int option = -1;
            if (!number.empty() && number.size() <= 2 && number.find_first_not_of("0123456789") == std::string::npos)
                option = std::stoi(number);
            if (!OptionHasControl(option)) {
                error = "no option control " + number;
                return false;
            }
            dialog.Click(IDC_OPTION_BASE + option);
        } else if (event == "none=1" || event == "none=0") {
            const bool wanted = event == "none=1";
            if (dialog.Control(IDC_NONE).ticked != wanted) dialog.Click(IDC_NONE);
        } else {
            error = "unknown event \"" + std::string(event) + "\"";
            return false;
        }
    }

    WriteBatchResult(dialog);
    return true;
}

// How a batch line ended.
enum class LineEnd { Newline, EndOfInput, ReadError, TooLong };

// The longest batch line taken. A schedule's lines are a few dozen bytes;
// the bound keeps memory bounded whatever the input holds.
constexpr size_t MAX_BATCH_LINE_BYTES = 1 << 20;

// Appends the bytes of standard input up to the next line end (LF, CR LF or
// a lone CR) to `line`, reading the input in large chunks rather than a
// byte at a time.
LineEnd ReadBatchLine(std::string& line) {
    static char buffer[1 << 16];
    static size_t size = 0;
    static size_t next = 0;
    static bool afterCR = false;  // an LF right after a CR ends no line of its own
    for (;;) {
        if (next == size) {
            size = std::fread(buffer, 1, sizeof buffer, stdin);
            next = 0;
            if (size == 0) return std::ferror(stdin) ? LineEnd::ReadError : LineEnd::EndOfInput;
        }
        if (afterCR) {
            afterCR = false;
            if (buffer[next] == '\n') {
                ++next;
                continue;
            }
        }
        size_t end = next;
        while (end < size && buffer[end] != '\n' && buffer[end] != '\r') ++end;
        if (line.size() + (end - next) > MAX_BATCH_LINE_BYTES) return LineEnd::TooLong;
        line.append(buffer + next, end - next);
        if (end == size) {
            next = size;
            continue;
        }
        afterCR = buffer[end] == '\r';
        next = end + 1;
        return LineEnd::Newline;
    }
}

// The UTF-8 byte-order mark that Windows editors write at the start of a file.
constexpr std::string_view UTF8_BYTE_ORDER_MARK = "\xEF\xBB\xBF";

int RunBatch() {
    MainDialogModel dialog;  // shown afresh for every line
    std::string line;
    long lineNumber = 0;
    for (;;) {
        const LineEnd end = ReadBatchLine(line);
        if (lineNumber == 0 && line.compare(0, UTF8_BYTE_ORDER_MARK.size(), UTF8_BYTE_ORDER_MARK) == 0)
            line.erase(0, UTF8_BYTE_ORDER_MARK.size());
        if (end == LineEnd::ReadError) {
            // A line cut short by the failure is not answered.
            const int readError = errno;
            std::fflush(stdout);
            std::fprintf(stderr, "brantle-rules: cannot read standard input: %s\n", std::strerror(readError));
            return 1;
        }
        if (end == LineEnd::EndOfInput && line.empty()) break;
        ++lineNumber;
        std::string error;
        if (end == LineEnd::TooLong) error = "longer than " + std::to_string(MAX_BATCH_LINE_BYTES) + " bytes";
        if (end == LineEnd::TooLong || !RunBatchLine(line, dialog, error)) {
            std::fflush(stdout);
            std::fprintf(stderr, "brantle-rules: line %ld: %s\n", lineNumber, error.c_str());
            return 2;
        }
        // Nothing more is worked out once an answer could not be written.
        if (std::ferror(stdout)) return 1;
        line.clear();
        if (end == LineEnd::EndOfInput) break;
    }
    return 0;
}

// Writes and forgets the bytes made so far; false when they could not be
// written.
bool WriteOut(std::string& bytes) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    bytes.clear();
    return written && !std::ferror(stdout);
}

int RunCsv() {
    ScheduleCheck check;
    static char buffer[1 << 16];
    for (;;) {
        const size_t size = std::fread(buffer, 1, sizeof buffer, stdin);
        if (size == 0) {
            if (std::ferror(stdin)) {
                const int readError = errno;
                std::fflush(stdout);
                std::fprintf(stderr, "brantle-rules: cannot read standard input: %s\n", std::strerror(readError));
                return 1;
            }
            break;
        }
        // The answer is written as it is made, a bounded step at a time.
        std::string_view piece(buffer, size);
        while (!piece.empty() && !check.Failed()) {
            piece.remove_prefix(check.Feed(piece));
            if (!WriteOut(check.Output())) return 1;
        }
        if (check.Failed()) break;
    }
    const bool finished = check.Finish() && WriteOut(check.Output());
    if (std::ferror(stdout)) return 1;
    if (!finished) {
        std::fflush(stdout);
        std::fprintf(stderr, "brantle-rules: --csv: %s\n", check.Failure().c_str());
        return 2;
    }
    if (check.RowsWithErrors() > 0) {
        std::fprintf(stderr, "brantle-rules: --csv: %llu of %llu rows not checked (see their error column)\n",
                     static_cast<unsigned long long>(check.RowsWithErrors()),
                     static_cast<unsigned long long>(check.Rows()));
    }
    return 0;
}

void PrintShowing(const char* what, const MainDialogModel& dialog) {
    const EngineState& state = dialog.State();
    if (state.matchedRow == 0) {
        std::printf("%s: no rule\n", what);
        return;
    }
    const Rule& rule = state.Rules()[state.matchedRow];
    std::printf("%s: row %d, pattern \"%s\"\n", what, state.matchedRow, rule.pattern.c_str());
    for (int id : {IDC_RESULT_HEADER, IDC_RESULT, IDC_RESULT_NOTE}) {
        const std::string text(dialog.ShownText(id));
        if (!text.empty()) std::printf("    %s\n", text.c_str());
    }
    const ModelControl& condition = dialog.Control(IDC_CONDITION);
    if (condition.shown) std::printf("    [%c] %s\n", condition.ticked ? 'x' : ' ', condition.text.c_str());
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The same bytes in and out as on Linux: no CR written before each LF,
    // and a Ctrl+Z byte in the input read as any other byte.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    uint32_t options = 0;
    bool none = false;
    bool batch = false;
    bool csv = false;
    std::vector<std::string> diagrams;
    bool flagsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (flagsEnded || arg.compare(0, 2, "--") != 0) {
            diagrams.push_back(arg);
            continue;
        }
        if (arg == "--") {
            flagsEnded = true;
        } else if (arg == "--help") {
            std::fputs(USAGE, stdout);
            return FinishOutput(0);
        } else if (arg == "--batch") {
            batch = true;
        } else if (arg == "--csv") {
            csv = true;
        } else if (arg == "--none") {
            none = true;
        } else if (arg == "--options") {
            if (++i >= argc) {
                std::fprintf(stderr, "brantle-rules: --options needs a number\n");
                return 2;
            }
            const std::string value = argv[i];
            int32_t number = 0;
            if (value.compare(0, 2, "--") == 0) {
                std::fprintf(stderr, "brantle-rules: --options needs a number, not the flag \"%s\"\n", value.c_str());
                return 2;
            }
            if (!ReadWholeNumberExactly(value, number)) {
                std::fprintf(stderr,
                             "brantle-rules: --options: \"%s\" is not a number (decimal, &H.. hexadecimal, "
                             "&B.. binary or &O.. octal)\n",
                             value.c_str());
                return 2;
            }
            options |= static_cast<uint32_t>(number);
        } else {
            bool known = false;
            for (const OptionFlag& flag : OPTION_FLAGS) {
                if (arg == flag.name) {
                    options |= Bit(flag.option);
                    known = true;
                }
            }
            if (!known) {
                std::fprintf(stderr, "brantle-rules: unknown option \"%s\" (see --help)\n", arg.c_str());
                return 2;
            }
        }
    }

    if (batch || csv) {
        if (batch && csv) {
            std::fprintf(stderr, "brantle-rules: --batch and --csv read standard input in different ways; give one\n");
            return 2;
        }
        if (!diagrams.empty() || none || options != 0) {
            std::fprintf(stderr, "brantle-rules: %s takes everything from standard input\n",
                         batch ? "--batch" : "--csv");
            return 2;
        }
        if (csv) return FinishOutput(RunCsv());
        return FinishOutput(RunBatch());
    }
    if (diagrams.empty() && !none) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    if (none && !diagrams.empty()) {
        std::fprintf(stderr, "brantle-rules: --none is for a sign without a diagram number; give no DIAGRAM\n");
        return 2;
    }
    if (none) diagrams.push_back("");
    MainDialogModel dialog;
    for (const std::string& diagram : diagrams) {
        dialog.ResetState(static_cast<int32_t>(options));
        dialog.Show(diagram);
        if (none) dialog.Click(IDC_NONE);
        PrintShowing(none ? "(no diagram number)" : diagram.c_str(), dialog);
    }
    return FinishOutput(0);
}
