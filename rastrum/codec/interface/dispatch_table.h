// The per-record routine table.  CodecInit fills it once for the processor class it detects;
// every per-block and per-MCU routine of the codec is reached through it, so the hot loops never
// test the processor.  Slots keep the order of the table's 63 entries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rastrum.h"

namespace rastrum {

using EndCallRoutine = void (*)();
using BlockTransform = void (*)(int16_t *block);
using BlockQuantiser = void (*)(int16_t *block, const int16_t *table);
using OutputOpener = int32_t (*)(CodecState &state);
using BytesWriter = int32_t (*)(CodecState &state, const uint8_t *bytes, int32_t count);
using McuInputRoutine = int32_t (*)(CodecState &state, int32_t column, int32_t row);
// Encoder input kernel: one whole MCU from the pixel rows at `pixels` into the work area.
using InputKernel = void (*)(const uint8_t *pixels, ptrdiff_t stride, int16_t *mcu);
using McuOutputRoutine = int32_t (*)(CodecState &state, int32_t column, int32_t row);
// Decoder output kernel: one whole MCU from the work area (blocks in work-area order) to the
// pixel rows starting at `out`, `stride` bytes apart.
using OutputKernel = void (*)(const int16_t *mcu, uint8_t *out, ptrdiff_t stride);
using BlockEncoder = int32_t (*)(CodecStream &stream, const int16_t *block, int32_t *predictor,
                                 const HuffmanTable &dc, const HuffmanTable &ac);
using BlockDecoder = int32_t (*)(CodecStream &stream, const HuffmanTable &dc,
                                 const HuffmanTable &ac, int32_t *predictor, int16_t *block);

} // namespace rastrum

// Defined at global scope: the record (rastrum.h, plain C) points at it as `struct DispatchTable`.
struct DispatchTable {
    using EndCallRoutine = rastrum::EndCallRoutine;
    using BlockTransform = rastrum::BlockTransform;
    using BlockQuantiser = rastrum::BlockQuantiser;
    using OutputOpener = rastrum::OutputOpener;
    using BytesWriter = rastrum::BytesWriter;
    using McuInputRoutine = rastrum::McuInputRoutine;
    using InputKernel = rastrum::InputKernel;
    using McuOutputRoutine = rastrum::McuOutputRoutine;
    using OutputKernel = rastrum::OutputKernel;
    using BlockEncoder = rastrum::BlockEncoder;
    using BlockDecoder = rastrum::BlockDecoder;

    // Length of the last SOS segment read plus 2; CodecRead rewinds by it after a header read.
    int32_t SosLength;

    EndCallRoutine EndCall;
    BlockTransform ForwardDctA;
    BlockTransform ForwardDctB;
    BlockTransform InverseDctA;
    BlockTransform InverseDctAHalf;
    BlockTransform InverseDctAQuarter;
    BlockTransform InverseDctAEighth;
    BlockTransform InverseDctB;
    BlockTransform InverseDctBHalf;
    BlockTransform InverseDctBQuarter;
    BlockTransform InverseDctBEighth;
    BlockTransform ActiveForwardDct;
    BlockTransform ActiveInverseDct;
    BlockTransform ActiveInverseDctHalf;
    BlockTransform ActiveInverseDctQuarter;
    BlockTransform ActiveInverseDctEighth;
    OutputOpener OpenOutput;
    BytesWriter PutBytes;
    McuInputRoutine McuInput;
    InputKernel GreyInKernel;
    InputKernel Rgb444InKernel;
    InputKernel Rgb422InKernel;
    InputKernel Rgb420InKernel;
    InputKernel Bgr444InKernel;
    InputKernel Bgr422InKernel;
    InputKernel Bgr420InKernel;
    InputKernel Copy444InKernel;
    InputKernel Copy422InKernel;
    InputKernel Copy420InKernel;
    InputKernel Packed422InKernel;
    InputKernel Rgba444InKernel;
    InputKernel Rgba422InKernel;
    InputKernel Rgba420InKernel;
    InputKernel Copy4InKernel;
    McuOutputRoutine McuOutput;
    OutputKernel GreyKernel;
    OutputKernel Ycc444RgbKernel;
    OutputKernel Ycc422RgbKernel;
    OutputKernel Ycc420RgbKernel;
    OutputKernel Ycc444BgrKernel;
    OutputKernel Ycc422BgrKernel;
    OutputKernel Ycc420BgrKernel;
    OutputKernel Ycc444RgbaKernel;
    OutputKernel Ycc422RgbaKernel;
    OutputKernel Ycc420RgbaKernel;
    OutputKernel Copy444Kernel;
    OutputKernel Copy422Kernel;
    OutputKernel Copy420Kernel;
    OutputKernel Copy444AlphaKernel;
    OutputKernel Pack422Kernel;
    OutputKernel Ycck444Kernel;
    OutputKernel Ycck422Kernel;
    OutputKernel Ycck420Kernel;
    OutputKernel Copy4Kernel;
    BlockEncoder EncodeBlock;
    BlockDecoder DecodeBlock;
    BlockDecoder SkipBlock;
    BlockQuantiser QuantizeA;
    BlockQuantiser QuantizeB;
    BlockQuantiser ActiveQuantize;
    BlockQuantiser DequantizeA;
    BlockQuantiser DequantizeB;
    BlockQuantiser ActiveDequantize;
};

namespace rastrum {

using ::DispatchTable;

// Number of routine slots that follow SosLength.
inline constexpr int kDispatchSlotCount = 63;

// Fills every slot for the given processor class (any value outside 3..6 gets the generic
// table).  Per-call slots start empty, except ActiveQuantize and ActiveDequantize.
void FillDispatchTable(DispatchTable &table, int32_t processorClass);

} // namespace rastrum
