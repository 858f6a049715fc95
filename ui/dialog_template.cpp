#include "dialog_template.h"

#include "win32_styles.h"

void PutWord(std::vector<uint16_t>& out, uint16_t word) { out.push_back(word); }

void PutDword(std::vector<uint16_t>& out, uint32_t dword) {
    out.push_back(static_cast<uint16_t>(dword & 0xFFFFu));
    out.push_back(static_cast<uint16_t>(dword >> 16));
}

void PutText(std::vector<uint16_t>& out, std::u16string_view text) {
    for (char16_t c : text) out.push_back(static_cast<uint16_t>(c));
    out.push_back(0);
}

void AlignToDword(std::vector<uint16_t>& out) {
    if (out.size() % 2 != 0) out.push_back(0);
}

std::vector<uint16_t> BuildDialogTemplate(const DialogLayout& layout, const DialogFont& font, WidenFunction widen) {
    const bool hasFont = font.face != nullptr && font.face[0] != 0;
    uint32_t style = layout.style & ~W32_DS_SETFONT;
    if (hasFont) style |= W32_DS_SETFONT;

    std::vector<uint16_t> out;
    PutDword(out, style);
    PutDword(out, 0);  // no extended style
    PutWord(out, static_cast<uint16_t>(layout.controls.size()));
    PutWord(out, 0);  // x and y: placed by the system (W32_DS_CENTER)
    PutWord(out, 0);
    PutWord(out, static_cast<uint16_t>(layout.width));
    PutWord(out, static_cast<uint16_t>(layout.height));
    PutWord(out, 0);  // no menu
    PutWord(out, 0);  // the standard dialog class
    PutText(out, widen(layout.caption));
    if (hasFont) {
        PutWord(out, font.pointSize);
        PutText(out, widen(font.face));
    }

    for (const ControlLayout& c : layout.controls) {
        AlignToDword(out);
        PutDword(out, c.style);
        PutDword(out, c.exStyle);
        PutWord(out, static_cast<uint16_t>(c.x));
        PutWord(out, static_cast<uint16_t>(c.y));
        PutWord(out, static_cast<uint16_t>(c.width));
        PutWord(out, static_cast<uint16_t>(c.height));
        PutWord(out, static_cast<uint16_t>(c.id));  // -1 is stored as 0xFFFF
        PutWord(out, 0xFFFF);                       // a predefined class by its atom
        PutWord(out, c.classAtom);
        PutText(out, widen(c.text));
        PutWord(out, 0);  // no creation data
    }
    return out;
}
