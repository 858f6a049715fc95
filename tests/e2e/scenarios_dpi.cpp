// The dialogs at the screen's dpi, whatever it is (scripts/e2e.sh --dpi N
// runs these at N dpi; the whole suite runs them at 96): the client area
// the layout's size, each control at its rectangle in dialog units and
// inside the client area, the fonts made for the dpi, the pictures at
// dpi / 96 times their size inside their labels with the face colour
// around them, no text cut off, the icons at the sizes the dpi asks for;
// and all of it again after the dialog has been moved to a screen of a
// higher dpi, back, to one of a lower dpi and back.
//
// Each scenario runs twice: as on Windows 10, and as on Windows 8.1, where
// the program finds only the monitor's dpi (test builds take
// BRANTLE_DPI_FUNCTIONS=monitor for that) and the system asks no size
// before a move and suggests the old size scaled.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "dialog_layout.h"
#include "scenario_support.h"

namespace {

// The About modes (the program's ABOUT_START and ABOUT_END).
constexpr int32_t kStartMode = 1;
constexpr int32_t kEndMode = 2;

// Where a dialog at each dpi is moved to: a higher dpi and a lower one
// (none below 96), the system staying at its own dpi.
struct Moves {
    unsigned up, down;
};
Moves MovesFrom(unsigned dpi) {
    if (dpi <= 96) return {144, 0};
    if (dpi <= 144) return {192, 96};
    return {240, 120};
}

// How the program finds its dpi, and how the system moves its dialogs.
enum class Windows { Ten, EightPointOne };

void RunAs(Windows windows) {
    SetEnvironmentVariableW(L"BRANTLE_DPI_FUNCTIONS", windows == Windows::EightPointOne ? L"monitor" : nullptr);
}

std::string Named(const std::string& kind, Windows windows) {
    return kind + (windows == Windows::EightPointOne ? " (as on Windows 8.1)" : "");
}

int SystemDpi() { return ScreenDpi(); }

std::string DpiText(unsigned dpi) { return std::to_string(dpi) + " dpi"; }

// Tahoma 8 at `dpi`, as the dialogs ask for it.
HFONT MakeTahoma8(unsigned dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(8, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

// The pixels of 4 horizontal and 8 vertical dialog units with Tahoma 8 at
// `dpi`: half the average width of the 52 letters, rounded up from the
// half, and the cell height, as the dialog manager measures its font.
struct Units {
    int x = 0, y = 0;
};
Units UnitsAt(unsigned dpi) {
    Units units;
    HFONT font = MakeTahoma8(dpi);
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICW metrics{};
    SIZE alphabet{};
    GetTextMetricsW(screen, &metrics);
    GetTextExtentPoint32W(screen, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);
    units.x = (alphabet.cx / 26 + 1) / 2;
    units.y = metrics.tmHeight;
    return units;
}

INT_PTR CALLBACK ProbeProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The dialog manager's own units for Tahoma 8 at the screen's dpi, from a
// dialog of the harness: MapDialogRect of 4 x 8 units.
Units UnitsOfTheDialogManager() {
    alignas(4) WORD words[64] = {};
    size_t n = 0;
    auto put = [&](WORD w) { words[n++] = w; };
    const DWORD style = WS_POPUP | DS_SETFONT;
    put(LOWORD(style));
    put(HIWORD(style));
    put(0), put(0);  // extended style
    put(0);          // no controls
    put(0), put(0), put(100), put(100);
    put(0), put(0), put(0);  // no menu, default class, no caption
    put(8);                  // point size
    for (const wchar_t* c = L"Tahoma"; *c; ++c) put(static_cast<WORD>(*c));
    put(0);
    HWND probe = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(words),
                                            nullptr, ProbeProc, 0);
    RECT rect{0, 0, 4, 8};
    if (probe) {
        MapDialogRect(probe, &rect);
        DestroyWindow(probe);
    }
    return Units{rect.right, rect.bottom};
}

RECT InPixels(const ControlLayout& c, Units units) {
    RECT r;
    r.left = MulDiv(c.x, units.x, 4);
    r.top = MulDiv(c.y, units.y, 8);
    r.right = r.left + MulDiv(c.width, units.x, 4);
    r.bottom = r.top + MulDiv(c.height, units.y, 8);
    return r;
}

std::string RectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The layout that the program builds its dialog from, for the units and dpi.
DialogLayout LayoutOf(const std::string& kind, Units units, unsigned dpi) {
    if (kind == "main dialog") return MainDialogLayout("");
    return AboutDialogLayoutAt(kind == "end mode" ? kEndMode : kStartMode, DialogUnits{units.x, units.y}, dpi);
}

// Each control at its rectangle of the layout in the dialog's units, the
// name artwork's label at its picture's size, and the client area the
// layout's size; each control inside the client area and each picture
// inside its label.
void CheckPlaces(const WindowReport& report, const std::string& kind, unsigned dpi, const std::string& what) {
    const Units units = UnitsAt(dpi);
    const DialogLayout layout = LayoutOf(kind, units, dpi);
    if (!CheckInt(static_cast<long long>(report.windows.size()), static_cast<long long>(layout.controls.size() + 1),
                  what + ": the dialog and each of its controls are reported"))
        return;
    std::string wrong;
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlLayout& c = layout.controls[i];
        const ReportedFont& got = report.windows[i + 1];
        RECT want = InPixels(c, units);
        if (c.id == IDC_PRODUCT_ART) {
            // A picture label without SS_CENTERIMAGE takes its picture's size.
            want.right = want.left + got.bitmapWidth;
            want.bottom = want.top + got.bitmapHeight;
        }
        if (std::atoi(got.window.c_str()) != static_cast<uint16_t>(c.id) || !SameRect(got.rect, want)) {
            wrong += " control " + std::to_string(i + 1) + " (" + got.window + ") at " + RectText(got.rect) +
                     ", expected " + RectText(want) + ";";
        }
    }
    Check(wrong.empty(),
          what + ": every control is at its rectangle in dialog units (" + std::to_string(units.x) + " x " +
              std::to_string(units.y) + " pixels per 4 x 8)",
          wrong);
    const ReportedFont& dialog = report.windows[0];
    const long width = MulDiv(layout.width, units.x, 4), height = MulDiv(layout.height, units.y, 8);
    Check(dialog.clientWidth == width && dialog.clientHeight == height,
          what + ": the client area is " + std::to_string(layout.width) + " x " + std::to_string(layout.height) +
              " units",
          std::to_string(dialog.clientWidth) + " x " + std::to_string(dialog.clientHeight) + ", expected " +
              std::to_string(width) + " x " + std::to_string(height));

    std::string outside, cut;
    for (size_t i = 1; i < report.windows.size(); ++i) {
        const ReportedFont& w = report.windows[i];
        if (w.rect.left < 0 || w.rect.top < 0 || w.rect.right > dialog.clientWidth ||
            w.rect.bottom > dialog.clientHeight) {
            outside += " " + w.window + " at " + RectText(w.rect) + ";";
        }
        if (w.bitmapWidth > w.clientWidth || w.bitmapHeight > w.clientHeight) {
            cut += " " + w.window + ": " + std::to_string(w.bitmapWidth) + " x " + std::to_string(w.bitmapHeight) +
                   " in " + std::to_string(w.clientWidth) + " x " + std::to_string(w.clientHeight) + ";";
        }
    }
    Check(outside.empty(), what + ": every control lies inside the client area", outside);
    Check(cut.empty(), what + ": every picture lies inside its label", cut);
}

int CALLBACK NoteTrueTypeFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD type, LPARAM found) {
    if (type & TRUETYPE_FONTTYPE) *reinterpret_cast<bool*>(found) = true;
    return 1;
}

// The face that the title is drawn in: the first of the title faces that
// this system has as a TrueType font; "" where it has none of them (Wine
// without its own fonts maps Tahoma to another face) and any TrueType
// face serves.
std::string TitleFaceOfThisSystem() {
    HDC screen = GetDC(nullptr);
    std::string face;
    for (const char* name : TITLE_FONT_FACES) {
        LOGFONTW family{};
        family.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(family.lfFaceName, Widen(name).c_str(), LF_FACESIZE);
        bool found = false;
        EnumFontFamiliesExW(screen, &family, NoteTrueTypeFamily, reinterpret_cast<LPARAM>(&found), 0);
        if (found) {
            face = name;
            break;
        }
    }
    ReleaseDC(nullptr, screen);
    return face;
}

// The default dialog font, the title font and the link font, each made
// for `dpi`.
void CheckFonts(const WindowReport& report, unsigned dpi, const std::string& what) {
    ReportedFont tahoma;
    tahoma.face = "Tahoma";
    tahoma.height = -MulDiv(8, static_cast<int>(dpi), 72);
    tahoma.weight = 400;
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    const long linkHeight = MulDiv(std::labs(gui.lfHeight), static_cast<int>(dpi), SystemDpi());
    std::string wrong;
    int plain = 0, titles = 0, links = 0;
    for (const ReportedFont& w : report.windows) {
        const int id = std::atoi(w.window.c_str());
        const bool picture = id == IDC_PRODUCT_ART || id == IDC_BULB_ART || id == IDC_LOGO_ART;
        if (id == IDC_RESULT) {
            ++titles;
            if (dpi == 96 && SystemDpi() == 96) {
                if (!w.system) wrong += " the title is not the stock system font at 96 dpi;";
                continue;
            }
            // A bold TrueType face, Tahoma or Microsoft Sans Serif where the
            // system has them: the raster system font does not scale. About dpi / 96 times the
            // 16-pixel cell of the system font at 96 dpi (less only to fit
            // its label); as wide for its height as that font (7 in 16),
            // not narrowed.
            const long least = MulDiv(16 * 8, static_cast<int>(dpi), 96 * 10);
            if (w.system || !w.trueType) wrong += " the title font is not TrueType;";
            const std::string face = TitleFaceOfThisSystem();
            if (!face.empty() && w.madeFace != face)
                wrong += " title face " + Quoted(w.madeFace) + ", expected " + Quoted(face) + ";";
            if (w.weight < FW_BOLD) wrong += " title weight " + std::to_string(w.weight) + ";";
            if (w.cellHeight < least || w.cellHeight > MulDiv(16, static_cast<int>(dpi), 96))
                wrong += " title cell height " + std::to_string(w.cellHeight) + ";";
            if (w.averageWidth * 16 * 100 < w.cellHeight * 7 * 85)
                wrong += " title characters " + std::to_string(w.averageWidth) + " wide in a cell of " +
                         std::to_string(w.cellHeight) + " (narrowed);";
        } else if (id >= IDC_LINK_WEB && id <= IDC_LINK_MORE) {
            ++links;
            if (!w.underline) wrong += " link " + w.window + " not underlined;";
            if (w.face != Narrow(gui.lfFaceName)) wrong += " link " + w.window + " face " + Quoted(w.face) + ";";
            if (std::labs(std::labs(w.height) - linkHeight) > 1)
                wrong += " link " + w.window + " height " + std::to_string(w.height) + ";";
        } else if (!(picture && w.face == "none")) {
            ++plain;
            const std::string difference = FontDifference(w, tahoma);
            if (!difference.empty()) wrong += " " + w.window + ":" + difference + ";";
        }
    }
    Check(titles == 1 && plain > 1 && wrong.empty(),
          what + ": the fonts are made for " + DpiText(dpi) + " (Tahoma 8, " +
              (dpi == 96 && SystemDpi() == 96 ? "the stock system font for the title"
                                              : "a bold TrueType title as wide as at 96 dpi") +
              (links ? ", underlined links" : "") + ")",
          wrong + (titles == 1 ? "" : " no title label;"));
}

// No text is cut off: each label's text, broken as the label breaks it,
// fits the label, and each button's text fits beside its box or within
// its edges. A label of several lines must hold all but the last whole and
// the last down to its baseline: the About dialog's first description runs
// to 11 lines in a label of 10 7/8 lines (87 units) at every dpi, its
// height fixed by its count of paragraphs.
void CheckNothingClipped(const WindowReport& report, unsigned dpi, const std::string& what) {
    std::string wrong;
    int measured = 0;
    for (size_t i = 1; i < report.windows.size(); ++i) {
        const ReportedFont& w = report.windows[i];
        if (w.linesWidth == 0 || w.bitmapWidth > 0) continue;  // no text, or a picture
        const int id = std::atoi(w.window.c_str());
        // At 96 dpi the title keeps the stock system font, whose 16-pixel
        // cell is a pixel taller than its label where Tahoma's cell is 12
        // pixels (Wine's stand-in font): unchanged, since 96 dpi is.
        if (id == IDC_RESULT && w.system && dpi == 96) continue;
        ++measured;
        long width = w.linesWidth, height = w.linesHeight;
        const long kind = w.style & 0x0F;
        if (w.className == "Static") {
            width = w.wrappedWidth;
            height = w.wrappedHeight;
            if (height > w.cellHeight) height -= w.descent;
        } else if (w.className == "Button" && (kind == BS_AUTOCHECKBOX || kind == BS_AUTORADIOBUTTON)) {
            width += MulDiv(16, static_cast<int>(dpi), 96);  // the box and the gap after it
        } else if (w.className == "Button") {
            width += 2 * MulDiv(3, static_cast<int>(dpi), 96);  // the button's edges
        }
        if (width > w.clientWidth || height > w.clientHeight) {
            wrong += " " + w.window + " needs " + std::to_string(width) + " x " + std::to_string(height) + " of " +
                     std::to_string(w.clientWidth) + " x " + std::to_string(w.clientHeight) + ";";
        }
    }
    Check(measured > 5 && wrong.empty(), what + ": every text fits its control", wrong);
}

// The three pictures at dpi / 96 times their 96-dpi size, with the face
// colour at the corners of each, where the grey of the drawings was.
void CheckPictures(HWND about, const WindowReport& report, unsigned dpi, const std::string& what) {
    POINT origin{0, 0};
    ClientToScreen(about, &origin);
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    HDC screen = GetDC(nullptr);
    for (const AboutPicture& p : ABOUT_PICTURES) {
        const ReportedFont* label = report.Find(p.id);
        if (!Check(label != nullptr, what + ": " + p.name + " is reported")) continue;
        const long width = MulDiv(p.width, static_cast<int>(dpi), 96),
                   height = MulDiv(p.height, static_cast<int>(dpi), 96);
        CheckText(std::to_string(label->bitmapWidth) + " x " + std::to_string(label->bitmapHeight),
                  std::to_string(width) + " x " + std::to_string(height),
                  what + ": " + p.name + " is shown at dpi / 96 times its size");
        // The picture lies centred in its label (or fills it).
        const long left = origin.x + label->rect.left + (label->clientWidth - label->bitmapWidth) / 2;
        const long top = origin.y + label->rect.top + (label->clientHeight - label->bitmapHeight) / 2;
        const POINT corners[] = {{left, top},
                                 {left + label->bitmapWidth - 1, top},
                                 {left, top + label->bitmapHeight - 1},
                                 {left + label->bitmapWidth - 1, top + label->bitmapHeight - 1}};
        std::string wrong;
        for (const POINT& corner : corners) {
            const COLORREF got = GetPixel(screen, corner.x, corner.y);
            if (got != face) {
                char text[48];
                std::snprintf(text, sizeof text, " %06lx at %ld,%ld;", static_cast<unsigned long>(got), corner.x,
                              corner.y);
                wrong += text;
            }
        }
        Check(wrong.empty(), what + ": " + p.name + "'s background is the face colour at its corners", wrong);
    }
    ReleaseDC(nullptr, screen);
}

void CheckIcons(const WindowReport& report, unsigned dpi, const std::string& what) {
    CheckText(std::to_string(report.smallIcon) + " and " + std::to_string(report.bigIcon),
              std::to_string(MulDiv(16, static_cast<int>(dpi), 96)) + " and " +
                  std::to_string(MulDiv(32, static_cast<int>(dpi), 96)),
              what + ": the small and big icons are the sizes for " + DpiText(dpi));
}

// Everything above for the dialog on show at `dpi`.
void CheckDialogAt(HWND dialog, const WindowReport& report, const std::string& kind, unsigned dpi,
                   const std::string& what) {
    CheckPlaces(report, kind, dpi, what);
    CheckFonts(report, dpi, what);
    CheckNothingClipped(report, dpi, what);
    if (kind != "main dialog") CheckPictures(dialog, report, dpi, what);
    CheckIcons(report, dpi, what);
}

// The dialog on show at the screen's dpi; its dialog units follow the dpi
// within what the font's rounded metrics make of it, a few per cent.
void CheckDialogAtItsDpi(ChildProcess& child, HWND dialog, const std::string& kind, const std::string& what) {
    const unsigned dpi = static_cast<unsigned>(SystemDpi());
    const WindowReport report = ReportWindows(child);
    if (!Check(!report.windows.empty(), what + ": the program reports its windows")) return;
    CheckDialogAt(dialog, report, kind, dpi, what);
    const Units units = UnitsAt(dpi), at96 = UnitsAt(96);
    const double across = static_cast<double>(units.x) / at96.x * 96 / dpi;
    const double down = static_cast<double>(units.y) / at96.y * 96 / dpi;
    Check(across > 0.9 && across < 1.1 && down > 0.9 && down < 1.1,
          what + ": the dialog units are dpi / 96 times those at 96 dpi, within 10 %",
          std::to_string(across) + " across, " + std::to_string(down) + " down");
}

// The window size whose client area is the layout's at `dpi`, with the
// dialog's styles and the frame that the system gives for that dpi.
SIZE LayoutWindowSize(HWND dialog, const std::string& kind, unsigned dpi) {
    const Units units = UnitsAt(dpi);
    const DialogLayout layout = LayoutOf(kind, units, dpi);
    RECT rect{0, 0, MulDiv(layout.width, units.x, 4), MulDiv(layout.height, units.y, 8)};
    AdjustWindowRectExForDpi(&rect, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)), dpi);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// Moves the dialog on show from a screen of `from` dpi to one of `to` and
// checks it there.
void CheckMove(ChildProcess& child, HWND dialog, const std::string& kind, Windows windows, unsigned from, unsigned to,
               const std::string& what) {
    const WindowReport report = ReportWindows(child, to, from);
    if (!Check(report.moved && report.movedFrom == from && report.movedTo == to && !report.windows.empty(),
               what + ": the program reports the move and its windows",
               std::to_string(report.movedFrom) + " to " + std::to_string(report.movedTo)))
        return;
    if (windows == Windows::Ten) {
        // Asked before the move, the program answers with the size that its
        // layout needs there, not the old size scaled.
        const SIZE want = LayoutWindowSize(dialog, kind, to);
        Check(report.answeredSize && report.answered.cx == want.cx && report.answered.cy == want.cy,
              what + ": the program answers WM_GETDPISCALEDSIZE with its layout's size",
              (report.answeredSize ? std::to_string(report.answered.cx) + " x " + std::to_string(report.answered.cy)
                                   : std::string("no answer")) +
                  ", expected " + std::to_string(want.cx) + " x " + std::to_string(want.cy));
    }
    RECT rect{};
    GetWindowRect(dialog, &rect);
    Check(rect.left == report.suggested.left && rect.top == report.suggested.top,
          what + ": the dialog keeps the suggested top-left corner",
          RectText(rect) + ", suggested " + RectText(report.suggested));
    Check(report.objectsBefore > 0 && report.objectsGone == report.objectsBefore,
          what + ": the fonts and pictures made for " + DpiText(from) + " are freed",
          std::to_string(report.objectsGone) + " of " + std::to_string(report.objectsBefore) + " gone");
    CheckDialogAt(dialog, report, kind, to, what);
}

// Moves the dialog on show up and back, then down and back, checking it
// after every move.
void CheckMovesToOtherDpi(ChildProcess& child, HWND dialog, const std::string& kind, Windows windows) {
    const unsigned dpi = static_cast<unsigned>(SystemDpi());
    const Moves moves = MovesFrom(dpi);
    for (unsigned to : {moves.up, moves.down}) {
        if (to == 0) continue;
        const std::string what = Named(kind, windows) + " moved from " + DpiText(dpi) + " to " + DpiText(to);
        CheckMove(child, dialog, kind, windows, dpi, to, what);
        CheckMove(child, dialog, kind, windows, to, dpi, what + " and back");
    }
}

void MainDialogAtEveryDpi(Windows windows) {
    RunAs(windows);
    const unsigned dpi = static_cast<unsigned>(SystemDpi());
    const std::string kind = "main dialog", what = Named(kind, windows) + " at " + DpiText(dpi);
    // The harness measures dialog units as the dialog manager does.
    const Units formula = UnitsAt(dpi), manager = UnitsOfTheDialogManager();
    Check(formula.x == manager.x && formula.y == manager.y,
          "the harness's dialog units at " + DpiText(dpi) + " are the dialog manager's");
    ChildProcess child;
    if (!StartBrantle(child, "652 /S /Q 1")) return;
    HWND main = ExpectDialog(child, nullptr, DialogKind::Main, "the main dialog");
    if (!main) return;
    Settle(main);
    Click(main, IDC_CONDITION);
    Settle(main);
    CheckLines(main, kHeading, "internal or external lighting", "", "652 with the junction ticked");
    // Where user32 cannot tell a window's dpi, the monitor's comes from
    // shcore, which is loaded for that alone.
    const std::vector<std::string> modules = LoadedModules(child.Pid());
    if (Check(!modules.empty(), what + ": the program's modules can be listed")) {
        const bool shcore = std::find(modules.begin(), modules.end(), "shcore.dll") != modules.end();
        Check(shcore == (windows == Windows::EightPointOne),
              what + (windows == Windows::EightPointOne ? ": shcore.dll is loaded, for the monitor's dpi"
                                                        : ": shcore.dll is not loaded: user32 tells the window's dpi"));
    }
    CheckDialogAtItsDpi(child, main, kind, what);
    if (windows == Windows::Ten) SaveScreenshot(main, "dpi-main-dialog");
    // The longest heading and note.
    Click(main, IDC_NONE);
    Settle(main);
    CheckText(ControlText(main, IDC_RESULT_HEADER), kHeadingNoNumber, "none ticked: the heading for no number");
    CheckNothingClipped(ReportWindows(child), dpi, what + " with none ticked");
    CheckMovesToOtherDpi(child, main, kind, windows);
    Settle(main);
    CheckText(ControlText(main, IDC_RESULT_HEADER), kHeadingNoNumber, "after the moves: the same heading");
    PressKey(main, VK_ESCAPE);
    ExpectExit(child, main, -2, "Esc ends the program");
}

void AboutDialogAtEveryDpi(Windows windows) {
    RunAs(windows);
    const std::string at = " at " + DpiText(static_cast<unsigned>(SystemDpi()));
    ChildProcess child;
    if (!StartBrantle(child, "")) return;
    HWND about = ExpectDialog(child, nullptr, DialogKind::About, "the first About dialog");
    if (!about) return;
    CheckDialogAtItsDpi(child, about, "start mode", Named("start mode", windows) + at);
    if (windows == Windows::Ten) SaveScreenshot(about, "dpi-about-start");
    CheckMovesToOtherDpi(child, about, "start mode", windows);
    Click(about, IDOK);
    HWND main = ExpectDialog(child, about, DialogKind::Main, "the main dialog");
    if (!main) return;
    Click(main, IDOK);
    HWND end = ExpectDialog(child, main, DialogKind::About, "the last About dialog");
    if (!end) return;
    CheckDialogAtItsDpi(child, end, "end mode", Named("end mode", windows) + at);
    if (windows == Windows::Ten) SaveScreenshot(end, "dpi-about-end");
    CheckMovesToOtherDpi(child, end, "end mode", windows);
    Click(end, IDOK);
    ExpectExit(child, end, 0, "Close ends the program");
}

}  // namespace

E2E_SCENARIO(dpi_main_dialog) { MainDialogAtEveryDpi(Windows::Ten); }

E2E_SCENARIO(dpi_about_dialog_both_modes) { AboutDialogAtEveryDpi(Windows::Ten); }

E2E_SCENARIO(dpi_main_dialog_as_on_windows_8_1) { MainDialogAtEveryDpi(Windows::EightPointOne); }

E2E_SCENARIO(dpi_about_dialog_both_modes_as_on_windows_8_1) { AboutDialogAtEveryDpi(Windows::EightPointOne); }
