// Reading the fonts, texts and places of the program's dialog from inside
// the program: the harness loads the font reporter into it
// (LoadLibraryInto), and collects the report that the reporter sends.
#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "e2e.h"
#include "font_report.h"

namespace {

std::wstring ReporterPath() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return FolderOf(std::wstring(path, length)) + kFontReporterName;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    return fields;
}

long Number(const std::vector<std::string>& fields, size_t index) {
    return index < fields.size() ? std::strtol(fields[index].c_str(), nullptr, 10) : 0;
}

WindowReport ParseReport(const std::string& text) {
    WindowReport report;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::vector<std::string> f = SplitTabs(line);
        if (f.empty()) continue;
        if (f[0] == "moved") {
            report.moved = true;
            report.movedFrom = static_cast<unsigned>(Number(f, 1));
            report.movedTo = static_cast<unsigned>(Number(f, 2));
            report.suggested = RECT{Number(f, 3), Number(f, 4), Number(f, 5), Number(f, 6)};
            report.objectsBefore = Number(f, 7);
            report.objectsGone = Number(f, 8);
            report.answeredSize = Number(f, 9) != 0;
            report.answered = SIZE{Number(f, 10), Number(f, 11)};
            continue;
        }
        if (f[0] == "icons") {
            report.smallIcon = Number(f, 1);
            report.bigIcon = Number(f, 2);
            continue;
        }
        ReportedFont w;
        w.window = f[0];
        w.face = f.size() > 1 ? f[1] : "";
        w.height = Number(f, 2);
        w.weight = Number(f, 3);
        w.italic = static_cast<int>(Number(f, 4));
        w.underline = static_cast<int>(Number(f, 5));
        w.charset = static_cast<int>(Number(f, 6));
        w.system = Number(f, 7) != 0;
        w.cellHeight = Number(f, 8);
        w.descent = Number(f, 9);
        w.averageWidth = Number(f, 10);
        w.linesWidth = Number(f, 11);
        w.linesHeight = Number(f, 12);
        w.wrappedWidth = Number(f, 13);
        w.wrappedHeight = Number(f, 14);
        w.rect = RECT{Number(f, 15), Number(f, 16), Number(f, 17), Number(f, 18)};
        w.clientWidth = Number(f, 19);
        w.clientHeight = Number(f, 20);
        w.bitmapWidth = Number(f, 21);
        w.bitmapHeight = Number(f, 22);
        w.style = Number(f, 23);
        w.dpi = static_cast<unsigned>(Number(f, 24));
        w.className = f.size() > 25 ? f[25] : "";
        w.trueType = Number(f, 26) != 0;
        w.madeFace = f.size() > 27 ? f[27] : "";
        report.windows.push_back(w);
    }
    return report;
}

}  // namespace

const ReportedFont* WindowReport::Find(int id) const {
    const std::string name = std::to_string(id);
    for (const ReportedFont& w : windows) {
        if (w.window == name) return &w;
    }
    return nullptr;
}

WindowReport ReportWindows(ChildProcess& child, unsigned moveToDpi, unsigned fromDpi) {
    auto& records = ReceivedRecords();
    auto isReport = [](const ReceivedCopyData& r) { return r.dwData == kFontReportData; };
    records.erase(std::remove_if(records.begin(), records.end(), isReport), records.end());
    SetDpiForTheReporter(moveToDpi ? MAKELONG(moveToDpi, fromDpi) : 0);
    const bool loaded = LoadLibraryInto(child.Handle(), ReporterPath());
    std::string report;
    if (loaded) {
        WaitUntil(
            [&] {
                auto found = std::find_if(records.begin(), records.end(), isReport);
                if (found == records.end()) return false;
                report.assign(found->bytes.begin(), found->bytes.end());
                records.erase(found);
                return true;
            },
            kStepTimeout);
    }
    SetDpiForTheReporter(0);
    return ParseReport(report);
}

std::vector<ReportedFont> ReportFonts(ChildProcess& child) { return ReportWindows(child).windows; }

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
