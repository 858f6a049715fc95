// What the library caller (library_caller.cpp) tells the harness: one line
// of text per step, sent to the harness's window as WM_COPYDATA with this
// dwData (the program's result records have 3).
#pragma once

#include <cstdint>

constexpr uintptr_t kLibraryCallerReport = 0x4C43;  // "LC"
