#include "dialog_font.h"

DialogFont DefaultDialogFont;

void SetDefaultDialogFont() {
    DefaultDialogFont.face = "Tahoma";
    DefaultDialogFont.pointSize = 8;
    DefaultDialogFont.weight = 400;
    DefaultDialogFont.italic = false;
    DefaultDialogFont.charset = 0;
}
