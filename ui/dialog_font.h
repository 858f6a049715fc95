// The font that every dialog built after start-up carries.
#pragma once

#include <cstdint>

struct DialogFont {
    const char* face = nullptr;  // none: no font set, the dialog uses the system font
    uint16_t pointSize = 0;
    uint16_t weight = 0;
    bool italic = false;
    uint8_t charset = 0;
};

// The process-wide default, without a face until start-up sets it. Plain
// data, so that it needs no start-up code of its own.
extern DialogFont DefaultDialogFont;

// Tahoma 8 points, regular weight (400), not italic, character set 0.
void SetDefaultDialogFont();

// The font's height for a screen of `pixelsPerInch`, as a LOGFONT takes it:
// the point size in pixels, rounded to the nearest pixel as the window
// system sizes a dialog's font, and negative, so that it is the height of
// the characters without the space above them.
int32_t DialogFontHeight(const DialogFont& font, int32_t pixelsPerInch);
