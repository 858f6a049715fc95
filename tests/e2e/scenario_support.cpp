#include "scenario_support.h"

const char* const kHeading = "The minimum illumination to comply with TSRGD 2016 is:";
const char* const kHeadingNoNumber = "The illumination requirement for signs with no diagram number is:";
const char* const kNoteJudgement =
    "but use your engineering judgement to determine whether additional illumination is needed.";
const char* const kNoteNoNumber =
    "except that plates for waiting and loading, signs intended only for cyclists or pedestrians and most brown "
    "tourist signs don't legally need any illumination.";

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE in = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(in);
    return bytes;
}

namespace {

const int kOptionsWithControls[] = {0, 1, 2, 3, 4, 5, 9, 10, 11};

std::string OptionList(unsigned mask) {
    std::string out;
    for (int option : kOptionsWithControls) {
        if (mask & (1u << option)) out += (out.empty() ? "" : ",") + std::to_string(option);
    }
    return "{" + out + "}";
}

void CheckOptionMask(unsigned got, std::initializer_list<int> want, const std::string& what) {
    unsigned wantMask = 0;
    for (int option : want) wantMask |= 1u << option;
    Check(got == wantMask, what,
          got == wantMask ? "" : "options " + OptionList(got) + ", expected " + OptionList(wantMask));
}

}  // namespace

bool StartBrantle(ChildProcess& child, const std::string& arguments) {
    ReceivedRecords().clear();
    return Check(child.Start(Config.brantleExe, arguments), "brantle.exe " + arguments + " starts");
}

void CheckLines(HWND dialog, const std::string& heading, const std::string& result, const std::string& note,
                const std::string& what) {
    if (heading.empty()) {
        Check(!IsShown(dialog, IDC_RESULT_HEADER), what + ": heading line hidden");
    } else {
        Check(IsShown(dialog, IDC_RESULT_HEADER), what + ": heading line shown");
        CheckText(ControlText(dialog, IDC_RESULT_HEADER), heading, what + ": heading");
    }
    CheckText(ControlText(dialog, IDC_RESULT), result, what + ": result word");
    if (note.empty() && heading.empty()) {
        Check(!IsShown(dialog, IDC_RESULT_NOTE), what + ": note line hidden");
    } else {
        CheckText(ControlText(dialog, IDC_RESULT_NOTE), note, what + ": note");
    }
}

void CheckEnabledOptions(HWND dialog, std::initializer_list<int> enabled, const std::string& what) {
    unsigned got = 0;
    for (int option : kOptionsWithControls) {
        if (option != 11 && IsEnabled(dialog, IDC_LAMP_COLUMN + option)) got |= 1u << option;
    }
    CheckOptionMask(got, enabled, what);
}

void CheckTickedOptions(HWND dialog, std::initializer_list<int> ticked, const std::string& what) {
    unsigned got = 0;
    for (int option : kOptionsWithControls) {
        if (IsTicked(dialog, IDC_LAMP_COLUMN + option)) got |= 1u << option;
    }
    CheckOptionMask(got, ticked, what);
}

void CheckCondition(HWND dialog, const std::string& caption, bool ticked, const std::string& what) {
    if (caption.empty()) {
        Check(!IsShown(dialog, IDC_CONDITION), what + ": extra tick box hidden");
        return;
    }
    Check(IsShown(dialog, IDC_CONDITION), what + ": extra tick box shown");
    CheckText(ControlText(dialog, IDC_CONDITION), caption, what + ": extra tick box caption");
    Check(IsTicked(dialog, IDC_CONDITION) == ticked,
          what + (ticked ? ": extra tick box ticked" : ": extra tick box not ticked"));
}

void CheckRecordCount(size_t count, const std::string& what) {
    CheckInt(static_cast<long long>(ReceivedRecords().size()), static_cast<long long>(count), what);
}

void CheckRecord(size_t index, const ExpectedRecord& want, const std::string& what) {
    const auto& records = ReceivedRecords();
    if (!Check(index < records.size(), what, "no such result message")) return;
    const ReceivedCopyData& got = records[index];
    std::string difference = DescribeRecordDifference(got.bytes, want);
    if (got.dwData != 3) difference = "dwData " + std::to_string(got.dwData) + ", expected 3";
    Check(difference.empty(), what, difference);
}

std::string WaitForBrowserLine(size_t before) {
    std::vector<std::string> lines;
    WaitUntil(
        [&] {
            lines = BrowserLogLines();
            return lines.size() > before;
        },
        kStepTimeout);
    return lines.size() > before ? lines[before] : std::string();
}
