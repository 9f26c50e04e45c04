// The per-pixel edge code of the fused routines, for MCUs cut by the picture's or the region's
// border.  It works on one 8 x 8 luma block at a time with the chroma part that covers it and
// writes, pixel by pixel, the same bytes as the kernel of its kind (plain rounding).
#include "colour_formulas.h"
#include "output_routines.h"

namespace rastrum {

namespace {

enum class EdgeFormat { Grey, Rgb, Bgr, Rgba, Ycck, Copy3, Copy3Alpha, Copy4, Pack };
enum class EdgeSampling { S444, S422, S420 };

struct EdgeKindInfo {
    EdgeFormat Format;
    EdgeSampling Sampling;
    int32_t BytesPerPixel;
};

EdgeKindInfo InfoOf(FusedKind kind) {
    switch (kind) {
    case FusedKind::Grey: return {EdgeFormat::Grey, EdgeSampling::S444, 1};
    case FusedKind::Ycc444Rgb: return {EdgeFormat::Rgb, EdgeSampling::S444, 3};
    case FusedKind::Ycc422Rgb: return {EdgeFormat::Rgb, EdgeSampling::S422, 3};
    case FusedKind::Ycc420Rgb: return {EdgeFormat::Rgb, EdgeSampling::S420, 3};
    case FusedKind::Ycc444Bgr: return {EdgeFormat::Bgr, EdgeSampling::S444, 3};
    case FusedKind::Ycc422Bgr: return {EdgeFormat::Bgr, EdgeSampling::S422, 3};
    case FusedKind::Ycc420Bgr: return {EdgeFormat::Bgr, EdgeSampling::S420, 3};
    case FusedKind::Ycc444Rgba: return {EdgeFormat::Rgba, EdgeSampling::S444, 4};
    case FusedKind::Ycc422Rgba: return {EdgeFormat::Rgba, EdgeSampling::S422, 4};
    case FusedKind::Ycc420Rgba: return {EdgeFormat::Rgba, EdgeSampling::S420, 4};
    case FusedKind::Copy444: return {EdgeFormat::Copy3, EdgeSampling::S444, 3};
    case FusedKind::Copy422: return {EdgeFormat::Copy3, EdgeSampling::S422, 3};
    case FusedKind::Copy420: return {EdgeFormat::Copy3, EdgeSampling::S420, 3};
    case FusedKind::Copy444Alpha: return {EdgeFormat::Copy3Alpha, EdgeSampling::S444, 4};
    case FusedKind::Pack422: return {EdgeFormat::Pack, EdgeSampling::S422, 2};
    case FusedKind::Ycck444: return {EdgeFormat::Ycck, EdgeSampling::S444, 4};
    case FusedKind::Ycck422: return {EdgeFormat::Ycck, EdgeSampling::S422, 4};
    case FusedKind::Ycck420: return {EdgeFormat::Ycck, EdgeSampling::S420, 4};
    case FusedKind::Copy4: return {EdgeFormat::Copy4, EdgeSampling::S444, 4};
    }
    return {EdgeFormat::Grey, EdgeSampling::S444, 1};
}

// One luma block and the samples that go with it; chroma sample (r >> RowShift, c >> ColumnShift)
// of the chroma part serves pixel (r, c) of the block.
struct EdgeBlock {
    const int16_t *Luma;
    const int16_t *Blue;
    const int16_t *Red;
    const int16_t *Fourth;
    int32_t RowShift;
    int32_t ColumnShift;
};

template <EdgeFormat Format>
void WritePixels(const EdgeBlock &block, uint8_t *out, ptrdiff_t stride, int32_t bytesPerPixel,
                 const McuRect &rect) {
    for (int32_t r = rect.Top; r < rect.Bottom; ++r) {
        uint8_t *pixel = out + r * stride + rect.Left * bytesPerPixel;
        const int16_t *luma = block.Luma + 8 * r;
        const int16_t *fourth = block.Fourth + 8 * r;
        const int16_t *blue = block.Blue + 8 * (r >> block.RowShift);
        const int16_t *red = block.Red + 8 * (r >> block.RowShift);
        for (int32_t c = rect.Left; c < rect.Right; ++c, pixel += bytesPerPixel) {
            const int32_t y = luma[c];
            const int32_t cb = blue[c >> block.ColumnShift];
            const int32_t cr = red[c >> block.ColumnShift];
            if constexpr (Format == EdgeFormat::Grey) {
                pixel[0] = ClampSample(y);
            } else if constexpr (Format == EdgeFormat::Copy3 || Format == EdgeFormat::Copy3Alpha ||
                                 Format == EdgeFormat::Copy4) {
                pixel[0] = static_cast<uint8_t>(y);
                pixel[1] = static_cast<uint8_t>(cb);
                pixel[2] = static_cast<uint8_t>(cr);
                if constexpr (Format == EdgeFormat::Copy3Alpha) {
                    pixel[3] = 255;
                } else if constexpr (Format == EdgeFormat::Copy4) {
                    pixel[3] = static_cast<uint8_t>(fourth[c]);
                }
            } else if constexpr (Format == EdgeFormat::Pack) {
                // Even pixels carry Cb, odd ones Cr; blocks start at even columns.
                pixel[0] = static_cast<uint8_t>(y);
                pixel[1] = static_cast<uint8_t>((c & 1) == 0 ? cb : cr);
            } else {
                const RgbSample rgb = PlainRgb(y, cb, cr);
                if constexpr (Format == EdgeFormat::Bgr) {
                    pixel[0] = rgb.Blue;
                    pixel[1] = rgb.Green;
                    pixel[2] = rgb.Red;
                } else if constexpr (Format == EdgeFormat::Ycck) {
                    pixel[0] = static_cast<uint8_t>(255 - rgb.Red);
                    pixel[1] = static_cast<uint8_t>(255 - rgb.Green);
                    pixel[2] = static_cast<uint8_t>(255 - rgb.Blue);
                    pixel[3] = static_cast<uint8_t>(fourth[c]);
                } else {
                    pixel[0] = rgb.Red;
                    pixel[1] = rgb.Green;
                    pixel[2] = rgb.Blue;
                    if constexpr (Format == EdgeFormat::Rgba) {
                        pixel[3] = 255;
                    }
                }
            }
        }
    }
}

void WriteBlock(EdgeFormat format, const EdgeBlock &block, uint8_t *out, ptrdiff_t stride,
                int32_t bytesPerPixel, const McuRect &rect) {
    switch (format) {
    case EdgeFormat::Grey: WritePixels<EdgeFormat::Grey>(block, out, stride, bytesPerPixel, rect); break;
    case EdgeFormat::Rgb: WritePixels<EdgeFormat::Rgb>(block, out, stride, bytesPerPixel, rect); break;
    case EdgeFormat::Bgr: WritePixels<EdgeFormat::Bgr>(block, out, stride, bytesPerPixel, rect); break;
    case EdgeFormat::Rgba: WritePixels<EdgeFormat::Rgba>(block, out, stride, bytesPerPixel, rect); break;
    case EdgeFormat::Ycck: WritePixels<EdgeFormat::Ycck>(block, out, stride, bytesPerPixel, rect); break;
    case EdgeFormat::Copy3: WritePixels<EdgeFormat::Copy3>(block, out, stride, bytesPerPixel, rect); break;
    case EdgeFormat::Copy3Alpha:
        WritePixels<EdgeFormat::Copy3Alpha>(block, out, stride, bytesPerPixel, rect);
        break;
    case EdgeFormat::Copy4: WritePixels<EdgeFormat::Copy4>(block, out, stride, bytesPerPixel, rect); break;
    case EdgeFormat::Pack: WritePixels<EdgeFormat::Pack>(block, out, stride, bytesPerPixel, rect); break;
    }
}

} // namespace

FusedShape ShapeOfFused(FusedKind kind) {
    const EdgeKindInfo info = InfoOf(kind);
    switch (info.Sampling) {
    case EdgeSampling::S444: return {8, 8, info.BytesPerPixel};
    case EdgeSampling::S422: return {16, 8, info.BytesPerPixel};
    case EdgeSampling::S420: return {16, 16, info.BytesPerPixel};
    }
    return {8, 8, info.BytesPerPixel};
}

void RunEdgeCode(FusedKind kind, const int16_t *mcu, uint8_t *out, ptrdiff_t stride,
                 const McuRect &visible) {
    const EdgeKindInfo info = InfoOf(kind);
    const FusedShape shape = ShapeOfFused(kind);
    for (int32_t by = 0; by < shape.Height / 8; ++by) {
        for (int32_t bx = 0; bx < shape.Width / 8; ++bx) {
            const McuRect area{8 * bx, 8 * by, 8 * bx + 8, 8 * by + 8};
            const McuRect rect = TranslateRect(IntersectRects(visible, area), 8 * bx, 8 * by);
            if (IsEmptyRect(rect)) {
                continue;
            }
            EdgeBlock block{};
            switch (info.Sampling) {
            case EdgeSampling::S444:
                block = {mcu, mcu + 64, mcu + 128, mcu + 192, 0, 0};
                break;
            case EdgeSampling::S422:
                // Chroma columns 0..3 cover the left luma block, 4..7 the right one.
                block = {mcu + 64 * bx, mcu + 128 + 4 * bx, mcu + 192 + 4 * bx,
                         mcu + 256 + 64 * bx, 0, 1};
                break;
            case EdgeSampling::S420: {
                // Each luma block takes the chroma quarter at the same place.
                const int32_t luma = 2 * by + bx;
                const int32_t quarter = 32 * by + 4 * bx;
                block = {mcu + 64 * luma, mcu + 256 + quarter, mcu + 320 + quarter,
                         mcu + 384 + 64 * luma, 1, 1};
                break;
            }
            }
            WriteBlock(info.Format, block, out + 8 * by * stride + 8 * bx * info.BytesPerPixel,
                       stride, info.BytesPerPixel, rect);
        }
    }
}

} // namespace rastrum
