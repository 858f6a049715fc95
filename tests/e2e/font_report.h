// What the font reporter (font_reporter.cpp, loaded into brantle.exe) and
// the harness agree on.
#pragma once

#include <windows.h>

// The dwData of the report's WM_COPYDATA; the program's result records have 3.
constexpr ULONG_PTR kFontReportData = 0x464E54;

// The class of the harness's owner window, where the report goes.
constexpr const wchar_t* kHarnessWindowClass = L"BrantleE2eOwner";

// Sent by the reporter to the harness's owner window before it reports;
// the answer's low word is the dpi to move the dialog to first, 0 for
// none, and its high word the dpi that the dialog is at (0: its window's
// own, which under Wine stays the system's after a move).
constexpr UINT kReporterAsks = WM_APP + 0x46;

// The reporter, beside the harness's executable.
constexpr const wchar_t* kFontReporterName = L"brantle_font_reporter.dll";
