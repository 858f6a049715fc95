// How a dialog ended, and the end values that stand for it.
#pragma once

#include <cstdint>

#include "win32_styles.h"

enum class DialogEnding : int32_t {
    Ok,              // IDOK: "Close", "OK" or Enter
    Cancel,          // IDCANCEL: Esc, or "Run again" in the About dialog
    UpdateLaunched,  // the update check launched a new version
    SystemClose,     // the close box, Alt+F4 or the window menu
};

struct DialogEnd {
    int32_t value = 0;
    DialogEnding how = DialogEnding::SystemClose;
};

// The end value of IDOK, 1 + the option set. Done in 32-bit unsigned
// arithmetic so that the largest option set wraps round rather than
// overflowing.
constexpr int32_t OkEndValue(int32_t optionSet) { return static_cast<int32_t>(static_cast<uint32_t>(optionSet) + 1u); }

// What the main dialog returns for an end value: the value minus 1, wrapping
// the same way, so that IDOK gives back the option set itself.
constexpr int32_t MainDialogResult(int32_t endValue) {
    return static_cast<int32_t>(static_cast<uint32_t>(endValue) - 1u);
}

// How the dialog ends for the command `id` (IDOK or IDCANCEL) with the
// option set as it is. IDOK reports Ok whatever its end value comes to, so
// that no option set can make "OK" or "Close" pass for "Run again" or a
// launched update.
constexpr DialogEnd EndForCommand(int id, int32_t optionSet) {
    if (id == W32_IDOK) return DialogEnd{OkEndValue(optionSet), DialogEnding::Ok};
    return DialogEnd{-1, DialogEnding::Cancel};
}

constexpr DialogEnd UPDATE_LAUNCHED_END{-2, DialogEnding::UpdateLaunched};
constexpr DialogEnd SYSTEM_CLOSE_END{0, DialogEnding::SystemClose};
