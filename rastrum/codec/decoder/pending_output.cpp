// TEMPORARY scaffolding so that the tree links while the output stage is being written.
// Delete each definition as its real one lands; delete the file when it is empty.
#include "colour_output.h"
#include "process_mcu.h"

namespace rastrum {
int32_t ProcessMcu(CodecState &, ScanHeader &, int32_t, int32_t, int32_t, int16_t *, int32_t, int32_t, int32_t, int32_t) { return 0; }
void ChooseMcuOutput(CodecState &) {}
int32_t ClipMcu(CodecState &, int32_t, int32_t, int32_t, int32_t, int32_t, McuRect &) { return -12; }
int32_t GeneralOutput(CodecState &, const ScanHeader *, int32_t, int32_t, int32_t, int32_t) { return -12; }
void ConvertPictureInPlace(CodecState &) {}
void GreyKernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycc444RgbKernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycc422RgbKernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycc420RgbKernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycc444BgrKernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycc422BgrKernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycc420BgrKernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycc444RgbaKernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycc422RgbaKernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycc420RgbaKernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Copy444KernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Copy422KernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Copy420KernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Copy444AlphaKernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Pack422KernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycck444KernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycck422KernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Ycck420KernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
void Copy4KernelPlain(const int16_t *, uint8_t *, ptrdiff_t) {}
} // namespace rastrum
