#include "display_scale.h"

#include <vector>

namespace {

// a * b / c rounded to the nearest, halves away from zero; c > 0.
int32_t MulDivRounded(int64_t a, int64_t b, int64_t c) {
    const int64_t product = a * b;
    const int64_t magnitude = ((product < 0 ? -product : product) + c / 2) / c;
    return static_cast<int32_t>(product < 0 ? -magnitude : magnitude);
}

// The system font's cell height at 96 dpi.
constexpr int32_t SYSTEM_FONT_HEIGHT_AT_96 = 16;

}  // namespace

int32_t ScaleToDpi(int32_t pixels, uint32_t dpi) { return MulDivRounded(pixels, dpi, BASE_DPI); }

DialogUnits DialogUnitsOfFont(int32_t alphabetWidth, int32_t cellHeight) {
    DialogUnits units;
    // Half the average width of the 52 letters, rounded up from the half.
    units.x = (alphabetWidth / 26 + 1) / 2;
    units.y = cellHeight;
    return units;
}

PixelRect DialogRectToPixels(int32_t x, int32_t y, int32_t width, int32_t height, DialogUnits units) {
    // The dialog manager converts the position and the size of a control
    // each on its own.
    PixelRect r;
    r.left = MulDivRounded(x, units.x, 4);
    r.top = MulDivRounded(y, units.y, 8);
    r.right = r.left + MulDivRounded(width, units.x, 4);
    r.bottom = r.top + MulDivRounded(height, units.y, 8);
    return r;
}

int32_t PixelsPer1024UnitsX(DialogUnits units) { return MulDivRounded(1024, units.x, 4); }
int32_t PixelsPer1024UnitsY(DialogUnits units) { return MulDivRounded(1024, units.y, 8); }

int32_t StockFontHeightFor(int32_t stockHeight, uint32_t windowDpi, uint32_t systemDpi) {
    return MulDivRounded(stockHeight, windowDpi, systemDpi > 0 ? systemDpi : BASE_DPI);
}

bool TitleUsesStockFont(uint32_t windowDpi, uint32_t systemDpi) {
    return windowDpi == BASE_DPI && systemDpi == BASE_DPI;
}

int32_t TitleFontHeightFor(uint32_t dpi, int32_t labelHeight) {
    const int32_t height = ScaleToDpi(SYSTEM_FONT_HEIGHT_AT_96, dpi);
    return labelHeight > 0 && height > labelHeight ? labelHeight : height;
}

int32_t UnitsToHold(int32_t pixels, int32_t unitPixels, int32_t unitCount) {
    if (pixels <= 0 || unitPixels <= 0 || unitCount <= 0) return 0;
    // n units come to (n x unitPixels + unitCount / 2) / unitCount pixels,
    // rounded down; the fewest n for which that reaches `pixels`.
    const int64_t least = int64_t{pixels} * unitCount - unitCount / 2;
    return static_cast<int32_t>((least + unitPixels - 1) / unitPixels);
}

int32_t ArtworkSize(int32_t length, int32_t percent) { return MulDivRounded(length, percent, 100); }

ArtworkPick PickArtwork(int32_t width, int32_t height, uint32_t dpi) {
    ArtworkPick pick;
    pick.width = ScaleToDpi(width, dpi);
    pick.height = ScaleToDpi(height, dpi);
    // The smallest drawing of at least the dpi wanted, so that a picture is
    // only ever made smaller, except beyond the largest drawing.
    for (int32_t percent : ARTWORK_PERCENTS) {
        pick.percent = percent;
        if (int64_t{percent} * BASE_DPI >= int64_t{dpi} * 100) break;
    }
    pick.resampled = ArtworkSize(width, pick.percent) != pick.width || ArtworkSize(height, pick.percent) != pick.height;
    return pick;
}

std::string ArtworkResourceName(const std::string& name, int32_t percent) {
    return percent == 100 ? name : name + std::to_string(percent);
}

void ResampleByArea(const uint32_t* source, int32_t sourceWidth, int32_t sourceHeight, uint32_t* target,
                    int32_t targetWidth, int32_t targetHeight) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) return;
    const int64_t sw = sourceWidth, sh = sourceHeight, tw = targetWidth, th = targetHeight;

    // Measured along one axis in steps of 1 / (source length x target
    // length): source pixel j spans [j * target, (j + 1) * target), target
    // pixel i spans [i * source, (i + 1) * source), so the overlaps are
    // whole numbers and those of one target pixel add up to the source
    // length.
    struct Span {
        int64_t first = 0;
        std::vector<int64_t> weights;
    };
    auto spans = [](int64_t sourceLength, int64_t targetLength) {
        std::vector<Span> out(static_cast<size_t>(targetLength));
        for (int64_t i = 0; i < targetLength; ++i) {
            const int64_t begin = i * sourceLength;
            const int64_t end = begin + sourceLength;
            Span& span = out[static_cast<size_t>(i)];
            span.first = begin / targetLength;
            for (int64_t j = span.first; j * targetLength < end; ++j) {
                const int64_t from = j * targetLength > begin ? j * targetLength : begin;
                const int64_t to = (j + 1) * targetLength < end ? (j + 1) * targetLength : end;
                span.weights.push_back(to - from);
            }
        }
        return out;
    };
    const std::vector<Span> across = spans(sw, tw);
    const std::vector<Span> down = spans(sh, th);

    // Across first, keeping the weighted sums; down second, dividing once
    // by the whole weight (source width x source height) with rounding.
    std::vector<uint64_t> rows(static_cast<size_t>(tw * sh * 3));
    for (int64_t y = 0; y < sh; ++y) {
        const uint32_t* line = source + y * sw;
        for (int64_t x = 0; x < tw; ++x) {
            const Span& span = across[static_cast<size_t>(x)];
            uint64_t sum[3] = {0, 0, 0};
            for (size_t k = 0; k < span.weights.size(); ++k) {
                const uint32_t pixel = line[span.first + static_cast<int64_t>(k)];
                const uint64_t w = static_cast<uint64_t>(span.weights[k]);
                for (int c = 0; c < 3; ++c) sum[c] += w * ((pixel >> (8 * c)) & 0xFF);
            }
            for (int c = 0; c < 3; ++c) rows[static_cast<size_t>((y * tw + x) * 3 + c)] = sum[c];
        }
    }
    const uint64_t whole = static_cast<uint64_t>(sw * sh);
    for (int64_t y = 0; y < th; ++y) {
        const Span& span = down[static_cast<size_t>(y)];
        for (int64_t x = 0; x < tw; ++x) {
            uint64_t sum[3] = {0, 0, 0};
            for (size_t k = 0; k < span.weights.size(); ++k) {
                const int64_t row = span.first + static_cast<int64_t>(k);
                const uint64_t w = static_cast<uint64_t>(span.weights[k]);
                for (int c = 0; c < 3; ++c) sum[c] += w * rows[static_cast<size_t>((row * tw + x) * 3 + c)];
            }
            uint32_t pixel = 0;
            for (int c = 0; c < 3; ++c) pixel |= static_cast<uint32_t>((sum[c] + whole / 2) / whole) << (8 * c);
            target[y * tw + x] = pixel;
        }
    }
}
