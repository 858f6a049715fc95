#include "dialog_font.h"

DialogFont DefaultDialogFont;

void SetDefaultDialogFont() {
    DefaultDialogFont.face = "Tahoma";
    DefaultDialogFont.pointSize = 8;
    DefaultDialogFont.weight = 400;
    DefaultDialogFont.italic = false;
    DefaultDialogFont.charset = 0;
}

int32_t DialogFontHeight(const DialogFont& font, int32_t pixelsPerInch) {
    // points x pixels per inch / 72 points per inch, halves rounded away from
    // zero (MulDiv). A screen that reports no resolution counts as 96 dpi.
    const int64_t perInch = pixelsPerInch > 0 ? pixelsPerInch : 96;
    const int64_t pixels = (int64_t{font.pointSize} * perInch * 2 + 72) / 144;
    return static_cast<int32_t>(-pixels);
}
