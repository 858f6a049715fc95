// Who the program is, for the About dialog, the update check and the
// maker's check of an update list: its name in the list, its version and
// its build.
#pragma once

#include <cstdint>

#include "brantle_version.h"

constexpr const char* PROGRAM_NAME = "Brantle";
constexpr const char* PROGRAM_VERSION = BRANTLE_VERSION_TEXT;
constexpr int32_t PROGRAM_BUILD = BRANTLE_BUILD_NUMBER;
