// Writes a dialog layout as the in-memory template that the window system
// builds a dialog from: a DLGTEMPLATE header (with the font block when a
// font is given) followed by one DLGITEMTEMPLATE per control, each starting
// on a 4-byte boundary. Words are 16-bit little-endian units; the template
// is a sequence of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dialog_font.h"
#include "dialog_layout.h"

// Converts 8-bit text to UTF-16 (the ANSI code page on Windows).
using WidenFunction = std::u16string (*)(std::string_view);

// A DLGTEMPLATE carries only the point size and the face name of its font,
// which set the dialog's unit conversion; the weight and character set are
// the window system's choice, so the dialogs also give every control the
// font made exactly (modal_dialog_win.cpp). Without a face the template has
// no font block and DS_SETFONT stays clear.
std::vector<uint16_t> BuildDialogTemplate(const DialogLayout& layout, const DialogFont& font, WidenFunction widen);

// The pieces the writer is made of, for building other templates.
void PutWord(std::vector<uint16_t>& out, uint16_t word);
void PutDword(std::vector<uint16_t>& out, uint32_t dword);           // low word first
void PutText(std::vector<uint16_t>& out, std::u16string_view text);  // with its zero terminator
void AlignToDword(std::vector<uint16_t>& out);                       // pads with a zero word
