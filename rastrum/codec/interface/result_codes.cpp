// Messages of the codec's result codes.
#include "rastrum.h"

namespace {

struct CodeText {
    CodecError Code;
    const char *Text;
};

constexpr CodeText kCodeTexts[] = {
    {0, "Success"},
    {1, "Interrupt Success"},
    {2, "ROI Success"},
    {-1, "Exception detected"},
    {-2, "Invalid Encoder"},
    {-3, "Unsupported subsampling"},
    {-4, "Unsupported bytes per pixel"},
    {-5, "Memory error"},
    {-6, "Bad Huffman table"},
    {-7, "Bad Quantization table"},
    {-8, "Invalid codec properties"},
    {-9, "Error close file"},
    {-10, "Invalid file name"},
    {-11, "Error EOF"},
    {-12, "Not supported"},
    {-13, "Not JPEG"},
    {-14, "Error COMP"},
    {-15, "Error SOF"},
    {-16, "Error DNL"},
    {-17, "No Huffman table"},
    {-18, "No Quantization table"},
    {-19, "No frame"},
    {-20, "Multiply frame"},
    {-21, "Data error"},
    {-22, "No image"},
    {-23, "File error"},
    {-24, "Internal error"},
    {-25, "Bad RST marker"},
    {-26, "Thumbnail too small"},
    {-27, "Thumbnail has wrong color"},
    {-28, "Output buffer too small"},
    {-29, "Unsupported frame was found"},
    {-30, "Error access to comment buffer"},
    {-99, "Reserved"},
};

} // namespace

extern "C" RASTRUM_API const char *CodecErrorText(CodecError code) {
    for (const CodeText &entry : kCodeTexts) {
        if (entry.Code == code) {
            return entry.Text;
        }
    }
    return "Unknown error code";
}
