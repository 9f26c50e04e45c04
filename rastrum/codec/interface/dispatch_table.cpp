// Filling of the per-record routine table with the plain routines, which are written so that the
// compiler vectorises them.
#include "dispatch_table.h"

#include "colour_output.h"
#include "entropy_decoder.h"
#include "inverse_dct.h"

namespace rastrum {

namespace {

// Nothing of the vector state needs clearing on x86-64 at the end of a call.
void EndCallPlain() {}

void FillDecoderRoutines(DispatchTable &table) {
    table.InverseDctA = InverseDctA;
    table.InverseDctAHalf = InverseDctAHalf;
    table.InverseDctAQuarter = InverseDctAQuarter;
    table.InverseDctAEighth = InverseDctAEighth;
    table.InverseDctB = InverseDctB;
    table.InverseDctBHalf = InverseDctBHalf;
    table.InverseDctBQuarter = InverseDctBQuarter;
    table.InverseDctBEighth = InverseDctBEighth;
    table.DequantizeA = DequantizeA;
    table.DequantizeB = DequantizeB;

    table.DecodeBlock = DecodeBlockPlain;
    table.SkipBlock = SkipBlockPlain;

    table.GreyKernel = GreyKernelPlain;
    table.Ycc444RgbKernel = Ycc444RgbKernelPlain;
    table.Ycc422RgbKernel = Ycc422RgbKernelPlain;
    table.Ycc420RgbKernel = Ycc420RgbKernelPlain;
    table.Ycc444BgrKernel = Ycc444BgrKernelPlain;
    table.Ycc422BgrKernel = Ycc422BgrKernelPlain;
    table.Ycc420BgrKernel = Ycc420BgrKernelPlain;
    table.Ycc444RgbaKernel = Ycc444RgbaKernelPlain;
    table.Ycc422RgbaKernel = Ycc422RgbaKernelPlain;
    table.Ycc420RgbaKernel = Ycc420RgbaKernelPlain;
    table.Copy444Kernel = Copy444KernelPlain;
    table.Copy422Kernel = Copy422KernelPlain;
    table.Copy420Kernel = Copy420KernelPlain;
    table.Copy444AlphaKernel = Copy444AlphaKernelPlain;
    table.Pack422Kernel = Pack422KernelPlain;
    table.Ycck444Kernel = Ycck444KernelPlain;
    table.Ycck422Kernel = Ycck422KernelPlain;
    table.Ycck420Kernel = Ycck420KernelPlain;
    table.Copy4Kernel = Copy4KernelPlain;
}

} // namespace

// Every class, 0 to 6 and any unknown value, gets the plain routines: on x86-64 they give the
// results of each class exactly and are no slower than a class-specific routine would be.  The
// encoder's slots stay empty until the encoder exists; CodecWrite refuses every write until then.
void FillDispatchTable(DispatchTable &table, int32_t) {
    const int32_t sosLength = table.SosLength;
    table = DispatchTable{};
    table.SosLength = sosLength;
    table.EndCall = EndCallPlain;
    FillDecoderRoutines(table);
    table.ActiveQuantize = table.QuantizeA;
    table.ActiveDequantize = table.DequantizeA;
}

} // namespace rastrum
