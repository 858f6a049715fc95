// Reading the fonts of the program's dialog from inside the program: the
// harness loads the font reporter into it (LoadLibraryInto), and collects
// the report that the reporter sends.
#include <algorithm>
#include <sstream>

#include "e2e.h"
#include "font_report.h"

namespace {

std::wstring ReporterPath() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return FolderOf(std::wstring(path, length)) + kFontReporterName;
}

std::vector<ReportedFont> ParseReport(const std::string& text) {
    std::vector<ReportedFont> fonts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        ReportedFont font;
        std::string system;
        std::getline(fields, font.window, '\t');
        std::getline(fields, font.face, '\t');
        fields >> font.height >> font.weight >> font.italic >> font.underline >> font.charset >> system;
        font.system = system == "system";
        fonts.push_back(font);
    }
    return fonts;
}

}  // namespace

std::vector<ReportedFont> ReportFonts(ChildProcess& child) {
    auto& records = ReceivedRecords();
    auto isReport = [](const ReceivedCopyData& r) { return r.dwData == kFontReportData; };
    records.erase(std::remove_if(records.begin(), records.end(), isReport), records.end());
    if (!LoadLibraryInto(child.Handle(), ReporterPath())) return {};
    std::string report;
    WaitUntil(
        [&] {
            auto found = std::find_if(records.begin(), records.end(), isReport);
            if (found == records.end()) return false;
            report.assign(found->bytes.begin(), found->bytes.end());
            records.erase(found);
            return true;
        },
        kStepTimeout);
    return ParseReport(report);
}

std::string FontDifference(const ReportedFont& got, const ReportedFont& want) {
    std::string difference;
    if (got.face != want.face) difference += " face " + Quoted(got.face);
    if (got.height != want.height) difference += " height " + std::to_string(got.height);
    if (got.weight != want.weight) difference += " weight " + std::to_string(got.weight);
    if (got.italic != want.italic) difference += " italic " + std::to_string(got.italic);
    if (got.underline != want.underline) difference += " underline " + std::to_string(got.underline);
    if (got.charset != want.charset) difference += " character set " + std::to_string(got.charset);
    return difference;
}
