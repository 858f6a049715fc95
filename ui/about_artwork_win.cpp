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

// At its own size; the greys of the colour table, the 192,192,192
// background among them, become the system's 3-D colours. The larger
// drawings are stored run-length encoded (BI_RLE8, BI_RLE4); LoadImage
// expands them into the same bitmap that uncompressed pixels would give.
OwnedBitmap LoadDrawing(const std::string& name) {
    return OwnedBitmap(
        static_cast<HBITMAP>(LoadImageA(ProgramInstance(), name.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
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
OwnedBitmap Resample(HBITMAP drawing, int32_t width, int32_t height) {
    BITMAP size{};
    if (!GetObjectW(drawing, sizeof size, &size) || size.bmWidth <= 0 || size.bmHeight <= 0) return OwnedBitmap();
    const ScreenDc screen;
    if (!screen.Get()) return OwnedBitmap();
    std::vector<uint32_t> source(static_cast<size_t>(size.bmWidth) * static_cast<size_t>(size.bmHeight));
    BITMAPINFO sourceInfo = TopDown32(size.bmWidth, size.bmHeight);
    OwnedBitmap made;
    if (GetDIBits(screen.Get(), drawing, 0, static_cast<UINT>(size.bmHeight), source.data(), &sourceInfo,
                  DIB_RGB_COLORS) == size.bmHeight) {
        std::vector<uint32_t> target(static_cast<size_t>(width) * static_cast<size_t>(height));
        ResampleByArea(source.data(), size.bmWidth, size.bmHeight, target.data(), width, height);
        BITMAPINFO targetInfo = TopDown32(width, height);
        made.Reset(
            CreateDIBitmap(screen.Get(), &targetInfo.bmiHeader, CBM_INIT, target.data(), &targetInfo, DIB_RGB_COLORS));
    }
    return made;
}

OwnedBitmap MakePicture(const AboutPicture& picture, uint32_t dpi) {
    ArtworkPick pick = PickArtwork(picture.width, picture.height, dpi);
    OwnedBitmap drawing = LoadDrawing(ArtworkResourceName(picture.name, pick.percent));
    if (!drawing && pick.percent != 100) {
        // Without the larger drawing, the 100 % one resampled.
        drawing = LoadDrawing(picture.name);
        pick.resampled = true;
    }
    if (!drawing || !pick.resampled) return drawing;
    return Resample(drawing.Get(), pick.width, pick.height);
}

}  // namespace

void PutAboutArtwork(HWND dialog, DialogDisplay& display, uint32_t dpi) {
    for (size_t i = 0; i < ABOUT_PICTURE_COUNT; ++i) {
        HWND label = GetDlgItem(dialog, ABOUT_PICTURES[i].id);
        if (!label) continue;
        // A bitmap that cannot be made leaves the label as it is: empty at
        // first, or with the picture it has.
        OwnedBitmap made = MakePicture(ABOUT_PICTURES[i], dpi);
        if (!made) continue;
        const auto previous = reinterpret_cast<HBITMAP>(
            SendMessageW(label, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(made.Get())));
        // A label that showed a copy of its own (one of a bitmap with alpha)
        // hands the copy back, which is freed here; the program's own goes
        // as the display takes the new one.
        const OwnedBitmap copy(previous != display.pictures[i].Get() ? previous : nullptr);
        display.pictures[i] = std::move(made);
    }
}
