// Placement of an MCU in the caller's pixel buffer and its clipping against the picture and the
// region of interest.  Every output routine writes only inside the visible rectangle given here,
// which never leaves the caller's rows (|PixelHeight| of them, PixelRowStride apart) and never
// reaches past PixelWidth pixels of the row's bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "output_routines.h"

namespace rastrum {

bool IsEmptyRect(const McuRect &rect) {
    return rect.Right <= rect.Left || rect.Bottom <= rect.Top;
}

McuRect IntersectRects(const McuRect &a, const McuRect &b) {
    const McuRect overlap{std::max(a.Left, b.Left), std::max(a.Top, b.Top),
                          std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    return IsEmptyRect(overlap) ? McuRect{} : overlap;
}

McuRect TranslateRect(const McuRect &rect, int32_t dx, int32_t dy) {
    if (IsEmptyRect(rect)) {
        return McuRect{};
    }
    return {rect.Left - dx, rect.Top - dy, rect.Right - dx, rect.Bottom - dy};
}

int32_t ClipMcu(CodecState &state, int32_t width, int32_t height, int32_t column, int32_t row,
                int32_t bytesPerPixel, McuRect &visible) {
    visible = McuRect{};
    const int64_t x = static_cast<int64_t>(column) * width;
    const int64_t y = static_cast<int64_t>(row) * height;
    const int64_t rows = std::llabs(static_cast<int64_t>(state.PixelHeight));
    const int64_t stride = state.PixelRowStride;
    const int32_t *roi = state.Roi;
    const bool wholePicture = roi[0] == 0 && roi[1] == 0 && roi[2] == 0 && roi[3] == 0;

    int64_t left = 0;
    int64_t top = 0;
    int64_t right = 0;
    int64_t bottom = 0;
    int64_t originX = x; // buffer column of the MCU's left edge
    int64_t originY = y; // buffer row of the MCU's top edge
    if (wholePicture) {
        right = std::min<int64_t>(width, state.PixelWidth - x);
        bottom = std::min<int64_t>(height, rows - y);
    } else {
        const int64_t roiLeft = roi[0];
        const int64_t roiTop = roi[1];
        const int64_t roiRight = roi[2];
        const int64_t roiBottom = roi[3];
        if (x >= roiRight || x + width < roiLeft || y >= roiBottom || y + height < roiTop) {
            return CODEC_INVALID_PROPERTIES;
        }
        // The buffer starts at the region's top-left corner.
        originX = x - roiLeft;
        originY = y - roiTop;
        left = std::max<int64_t>(roiLeft - x, 0);
        top = std::max<int64_t>(roiTop - y, 0);
        right = std::min({static_cast<int64_t>(width), roiRight - x, state.PixelWidth - originX});
        bottom = std::min({static_cast<int64_t>(height), roiBottom - y, rows - originY});
    }

    // A row holds PixelWidth pixels of PixelChannels bytes (2 bytes for packed 4:2:2 rows); a
    // routine whose pixels are wider than the caller's stops where the row's bytes end.
    if (bytesPerPixel > 0) {
        const int64_t rowBytes = static_cast<int64_t>(state.PixelWidth) *
                                 (state.PixelSubsampling == 2 ? 2 : state.PixelChannels);
        right = std::min(right, rowBytes / bytesPerPixel - originX);
    }

    // Row 0 of the picture is the buffer's first row, or its last one when rows run upwards.
    uint8_t *rowZero = state.PixelBuffer;
    if (stride < 0 && rows > 0) {
        rowZero += (rows - 1) * -stride;
    }
    state.Stream.PixelCursor = reinterpret_cast<uint8_t *>(
        reinterpret_cast<uintptr_t>(rowZero) + static_cast<uintptr_t>(originY * stride) +
        static_cast<uintptr_t>(originX * bytesPerPixel));

    if (state.PixelBuffer == nullptr || right <= left || bottom <= top) {
        return 0;
    }
    visible = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
               static_cast<int32_t>(bottom)};
    return 0;
}

} // namespace rastrum
