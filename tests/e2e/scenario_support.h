// Steps and checks that the scenarios share.
#pragma once

#include <initializer_list>
#include <string>

#include "e2e.h"
#include "record_model.h"

// The wording that the main dialog shows.
extern const char* const kHeading;
extern const char* const kHeadingNoNumber;
extern const char* const kNoteJudgement;
extern const char* const kNoteNoNumber;

// The bytes of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

// Starts brantle.exe with `arguments` (after forgetting earlier records);
// checks and returns whether it started.
bool StartBrantle(ChildProcess& child, const std::string& arguments);

// The heading, result and note lines of the main dialog; an empty heading
// or note means that the line must be hidden.
void CheckLines(HWND dialog, const std::string& heading, const std::string& result, const std::string& note,
                const std::string& what);

// Which option controls (options 0-5, 9, 10 by number) are enabled, and
// which are ticked (also 11, the extra tick box).
void CheckEnabledOptions(HWND dialog, std::initializer_list<int> enabled, const std::string& what);
void CheckTickedOptions(HWND dialog, std::initializer_list<int> ticked, const std::string& what);

// The extra tick box: hidden when `caption` is empty, otherwise shown with
// that caption and the tick given.
void CheckCondition(HWND dialog, const std::string& caption, bool ticked, const std::string& what);

// The result messages received since the program was started.
void CheckRecordCount(size_t count, const std::string& what);
void CheckRecord(size_t index, const ExpectedRecord& want, const std::string& what);

// Waits for the browser stand-in to log one more line than `before` and
// returns that line ("" after the time limit).
std::string WaitForBrowserLine(size_t before);
