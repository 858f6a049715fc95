// Sizes for a screen of any dpi, worked out without the window system: the
// pixels that a 96-dpi size comes to, the pixels of a rectangle in dialog
// units, the fonts that are not the dialog font, and which drawing of the
// About artwork to show at what size.
#pragma once

#include <cstdint>
#include <string>

// The dpi that every size of the program is drawn for ("100 %").
constexpr uint32_t BASE_DPI = 96;

// `pixels` at 96 dpi as pixels at `dpi`: times dpi / 96, rounded to the
// nearest pixel with halves away from zero, as MulDiv rounds.
int32_t ScaleToDpi(int32_t pixels, uint32_t dpi);

// A dialog's unit conversion: the pixels of 4 horizontal and of 8 vertical
// dialog units, from its font's average character width and cell height.
struct DialogUnits {
    int32_t x = 0;
    int32_t y = 0;
};

// The units of a font whose 52 letters "A" to "Z" and "a" to "z" are
// `alphabetWidth` pixels wide and whose cells are `cellHeight` high,
// computed as the window system does for a dialog's font.
DialogUnits DialogUnitsOfFont(int32_t alphabetWidth, int32_t cellHeight);

// A rectangle in pixels; right and bottom lie just outside it.
struct PixelRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const PixelRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// A rectangle of dialog units in pixels, as MapDialogRect maps it: each
// edge on its own, so a control's pixel width can differ from another's of
// the same width in units by the rounding of their positions.
PixelRect DialogRectToPixels(int32_t x, int32_t y, int32_t width, int32_t height, DialogUnits units);

// What 1024 dialog units come to in pixels across and down, the measure
// the About banner is sized by.
int32_t PixelsPer1024UnitsX(DialogUnits units);
int32_t PixelsPer1024UnitsY(DialogUnits units);

// --- Fonts ---

// The stock fonts are made for the system's dpi. A window on a screen of
// another dpi gets a copy of a stock font with its height scaled to its own.
int32_t StockFontHeightFor(int32_t stockHeight, uint32_t windowDpi, uint32_t systemDpi);

// The result word and the About title are drawn in the bold system font.
// At 96 dpi (window and system) that is the stock object itself. The stock
// "System" font is a raster font, which the font mapper scales only by
// whole multiples, so anywhere else the title is a bold TrueType face
// instead, the first of TITLE_FONT_FACES that the system has: its cell
// the system font's 96-dpi cell of 16 pixels scaled to the dpi, but no
// taller than the label it is drawn in (`labelHeight` pixels, 0 for no
// limit), so that no line is cut off.
bool TitleUsesStockFont(uint32_t windowDpi, uint32_t systemDpi);
constexpr const char* TITLE_FONT_FACES[] = {"Tahoma", "Microsoft Sans Serif"};
int32_t TitleFontHeightFor(uint32_t dpi, int32_t labelHeight);

// How many dialog units of `unitPixels` pixels per `unitCount` units (4
// across, 8 down) hold at least `pixels`, converted as MapDialogRect
// converts a width or height: the fewest whose rounded pixels reach it.
int32_t UnitsToHold(int32_t pixels, int32_t unitPixels, int32_t unitCount);

// --- The About artwork ---

// The scales that every picture is drawn at, in per cent, smallest first;
// 100 is the picture as the 96-dpi screen shows it.
constexpr int32_t ARTWORK_PERCENTS[] = {100, 150, 200};

// Which drawing of a picture of `width` x `height` pixels at 96 dpi to show
// at `dpi`, and at what size: dpi / 96 times the 96-dpi size. The drawing
// is the smallest that is at least that large, or the largest; when its
// size is not the size wanted, it is resampled (ResampleByArea), never
// shown stretched.
struct ArtworkPick {
    int32_t percent = 100;  // the drawing
    int32_t width = 0;      // the size to show, in pixels
    int32_t height = 0;
    bool resampled = false;  // the drawing's own size differs
};
ArtworkPick PickArtwork(int32_t width, int32_t height, uint32_t dpi);

// The size of the drawing at `percent` of a 96-dpi length.
int32_t ArtworkSize(int32_t length, int32_t percent);

// The resource name of a drawing: the picture's own name at 100 %, with
// the per cent after it otherwise ("QVTEXT150").
std::string ArtworkResourceName(const std::string& name, int32_t percent);

// Resamples a picture of 0x00RRGGBB pixels (rows top to bottom, no padding)
// to another size: each target pixel is the average of the source area it
// covers, weighted by how much of each source pixel lies in it, in each of
// the three colours. An area of one colour stays exactly that colour, so
// the dialog's face colour around the artwork is kept.
void ResampleByArea(const uint32_t* source, int32_t sourceWidth, int32_t sourceHeight, uint32_t* target,
                    int32_t targetWidth, int32_t targetHeight);
