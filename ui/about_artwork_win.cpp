// The About dialog's three pictures at the dialog's dpi: each bitmap
// resource loaded with LR_LOADMAP3DCOLORS, so that its 192,192,192
// background takes the dialog's face colour. At 96 dpi that is the
// 100 % drawing itself; elsewhere the drawing made for the dpi, or the
// nearest larger one resampled to dpi / 96 times the 96-dpi size.
#include "dialogs_win.h"

#include <vector>

#include "dialog_ids.h"
#include "display_scale.h"

namespace {

struct Picture {
    const char* name;       // the 100 % drawing; the others have the per cent after it
    int id;                 // the label that shows it
    int32_t width, height;  // at 96 dpi
};

constexpr Picture PICTURES[] = {
    {"QVTEXT", IDC_PRODUCT_ART, 184, 57},
    {"LBULB", IDC_BULB_ART, 53, 56},
    {"KXLOGO", IDC_LOGO_ART, 172, 43},
};
constexpr size_t PICTURE_COUNT = sizeof PICTURES / sizeof PICTURES[0];

// The bitmaps that the labels of the dialog on show hold.
HBITMAP Shown[PICTURE_COUNT] = {};

// At its own size; the greys of the colour table, the 192,192,192
// background among them, become the system's 3-D colours. The larger
// drawings are stored run-length encoded (BI_RLE8, BI_RLE4); LoadImage
// expands them into the same bitmap that uncompressed pixels would give.
HBITMAP LoadDrawing(const std::string& name) {
    return static_cast<HBITMAP>(LoadImageA(ProgramInstance(), name.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
}

BITMAPINFO TopDown32(int32_t width, int32_t height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A new bitmap of `width` x `height` with the drawing resampled into it,
// each pixel the average of the area it covers. The face colour around the
// picture stays exactly the face colour, and the edges of the drawing
// blend into it. A bitmap of the screen's kind, like the loaded drawings.
HBITMAP Resample(HBITMAP drawing, int32_t width, int32_t height) {
    BITMAP size{};
    if (!GetObjectW(drawing, sizeof size, &size) || size.bmWidth <= 0 || size.bmHeight <= 0) return nullptr;
    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    std::vector<uint32_t> source(static_cast<size_t>(size.bmWidth) * static_cast<size_t>(size.bmHeight));
    BITMAPINFO sourceInfo = TopDown32(size.bmWidth, size.bmHeight);
    HBITMAP made = nullptr;
    if (GetDIBits(screen, drawing, 0, static_cast<UINT>(size.bmHeight), source.data(), &sourceInfo, DIB_RGB_COLORS) ==
        size.bmHeight) {
        std::vector<uint32_t> target(static_cast<size_t>(width) * static_cast<size_t>(height));
        ResampleByArea(source.data(), size.bmWidth, size.bmHeight, target.data(), width, height);
        BITMAPINFO targetInfo = TopDown32(width, height);
        made = CreateDIBitmap(screen, &targetInfo.bmiHeader, CBM_INIT, target.data(), &targetInfo, DIB_RGB_COLORS);
    }
    ReleaseDC(nullptr, screen);
    return made;
}

HBITMAP MakePicture(const Picture& picture, uint32_t dpi) {
    ArtworkPick pick = PickArtwork(picture.width, picture.height, dpi);
    HBITMAP drawing = LoadDrawing(ArtworkResourceName(picture.name, pick.percent));
    if (!drawing && pick.percent != 100) {
        // Without the larger drawing, the 100 % one resampled.
        drawing = LoadDrawing(picture.name);
        pick.resampled = true;
    }
    if (!drawing || !pick.resampled) return drawing;
    HBITMAP resampled = Resample(drawing, pick.width, pick.height);
    DeleteObject(drawing);
    return resampled;
}

}  // namespace

void PutAboutArtwork(HWND dialog, uint32_t dpi) {
    for (size_t i = 0; i < PICTURE_COUNT; ++i) {
        HWND label = GetDlgItem(dialog, PICTURES[i].id);
        if (!label) continue;
        // A bitmap that cannot be made leaves the label as it is: empty at
        // first, or with the picture it has.
        HBITMAP made = MakePicture(PICTURES[i], dpi);
        if (!made) continue;
        const auto previous =
            reinterpret_cast<HBITMAP>(SendMessageW(label, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(made)));
        // A label that showed a copy of its own (one of a bitmap with alpha)
        // hands the copy back; that is freed here, the program's own below.
        if (previous && previous != Shown[i]) DeleteObject(previous);
        if (Shown[i]) DeleteObject(Shown[i]);
        Shown[i] = made;
    }
}

void ReleaseAboutArtwork() {
    for (HBITMAP& bitmap : Shown) {
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
    }
}
