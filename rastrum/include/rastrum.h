/*
 * Rastrum: JPEG codec and picture helpers.
 *
 * One record (CodecProperties) is owned by the caller: CodecInit prepares it, CodecRead and
 * CodecWrite work on it as often as needed, CodecFree releases what it holds.  Every export
 * returns a 32-bit result code (CodecError); no C++ exception ever leaves the library.
 *
 * The whole record, including the inner working state, is declared here because callers may
 * fill the inner record themselves (UseInnerRecord) and because the record lives in the
 * caller's memory (usually on the stack).
 */
#ifndef RASTRUM_H
#define RASTRUM_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define RASTRUM_API __declspec(dllexport)
#else
#define RASTRUM_API __attribute__((visibility("default")))
#endif

/* ---- Result codes ------------------------------------------------------------------------ */

typedef int32_t CodecError;

enum {
    CODEC_SUCCESS = 0,
    CODEC_INTERRUPT_SUCCESS = 1,
    CODEC_ROI_SUCCESS = 2,
    CODEC_EXCEPTION = -1,
    CODEC_INVALID_ENCODER = -2,
    CODEC_UNSUPPORTED_SUBSAMPLING = -3,
    CODEC_UNSUPPORTED_BYTES_PER_PIXEL = -4,
    CODEC_MEMORY_ERROR = -5,
    CODEC_BAD_HUFFMAN_TABLE = -6,
    CODEC_BAD_QUANT_TABLE = -7,
    CODEC_INVALID_PROPERTIES = -8,
    CODEC_ERROR_CLOSE_FILE = -9,
    CODEC_INVALID_FILE_NAME = -10,
    CODEC_ERROR_EOF = -11,
    CODEC_NOT_SUPPORTED = -12,
    CODEC_NOT_JPEG = -13,
    CODEC_ERROR_COMP = -14,
    CODEC_ERROR_SOF = -15,
    CODEC_ERROR_DNL = -16,
    CODEC_NO_HUFFMAN_TABLE = -17,
    CODEC_NO_QUANT_TABLE = -18,
    CODEC_NO_FRAME = -19,
    CODEC_MULTIPLE_FRAMES = -20,
    CODEC_DATA_ERROR = -21,
    CODEC_NO_IMAGE = -22,
    CODEC_FILE_ERROR = -23,
    CODEC_INTERNAL_ERROR = -24,
    CODEC_BAD_RST_MARKER = -25,
    CODEC_THUMBNAIL_TOO_SMALL = -26,
    CODEC_THUMBNAIL_WRONG_COLOUR = -27,
    CODEC_OUTPUT_BUFFER_TOO_SMALL = -28,
    CODEC_UNSUPPORTED_FRAME = -29,
    CODEC_COMMENT_ACCESS = -30,
    CODEC_RESERVED = -99
};

/* ---- I/O modes: even modes work on JpegFileName, odd modes on JpegBuffer ------------------ */

enum {
    IO_READ_PARAMETERS_FILE = 0,
    IO_READ_PARAMETERS_MEMORY = 1,
    IO_READ_IMAGE_FILE = 2,
    IO_READ_IMAGE_MEMORY = 3,
    IO_READ_TABLES_FILE = 4,
    IO_READ_TABLES_MEMORY = 5,
    IO_READ_ENTROPY_FILE = 6,
    IO_READ_ENTROPY_MEMORY = 7,
    IO_WRITE_IMAGE_FILE = 8,
    IO_WRITE_IMAGE_MEMORY = 9,
    IO_WRITE_TABLES_FILE = 10,
    IO_WRITE_TABLES_MEMORY = 11,
    IO_WRITE_ENTROPY_FILE = 12,
    IO_WRITE_ENTROPY_MEMORY = 13,
    IO_READ_HALF_FILE = 14,
    IO_READ_HALF_MEMORY = 15,
    IO_READ_QUARTER_FILE = 16,
    IO_READ_QUARTER_MEMORY = 17,
    IO_READ_EIGHTH_FILE = 18,
    IO_READ_EIGHTH_MEMORY = 19,
    IO_READ_THUMBNAIL_FILE = 20,
    IO_READ_THUMBNAIL_MEMORY = 21
};

/* ---- Colour codes (PixelColour, JpegColour) and subsampling codes (JpegSubsampling) ------- */

enum {
    COLOUR_RGB = 1,
    COLOUR_BGR = 2,
    COLOUR_YCBCR = 3,
    COLOUR_GREY = 4,
    COLOUR_RGB_PLUS = 5,   /* RGB plus a fourth channel */
    COLOUR_YCBCR_PLUS = 6, /* YCbCr plus a fourth channel (coded data only) */
    COLOUR_OTHER = 255
};

enum {
    SUBSAMPLING_444 = 0,
    SUBSAMPLING_420 = 1,
    SUBSAMPLING_422 = 2,
    SUBSAMPLING_4200 = 3, /* four components, first and fourth 2 x 2 */
    SUBSAMPLING_4220 = 4, /* four components, first and fourth 2 x 1 */
    SUBSAMPLING_OTHER = 255
};

/* ---- Tables ------------------------------------------------------------------------------ */

/* A quantisation table: 64 entries (natural order once prepared for decoding) followed by 16
 * zero entries.  Entries points at the first 8-byte boundary inside Area. */
typedef struct QuantTable {
    int32_t TableId;
    int32_t Precision; /* 0: 8-bit values in the DQT, otherwise 16-bit */
    int16_t *Entries;
    int16_t Area[80 + 4];
} QuantTable;

/* A Huffman table in decoding form.  Lookahead is indexed by the next 8 bits of the stream:
 * (code length << 16) | symbol for codes of up to 8 bits, 0 for longer codes.  The per-length
 * arrays are indexed by code length 1..17; MaxCode is -1 for lengths without codes. */
typedef struct HuffmanTable {
    int32_t TableClass; /* 0 = DC, 1 = AC */
    int32_t TableId;    /* 0..3 */
    uint32_t Lookahead[256];
    uint16_t Symbols[258];
    int32_t MinCode[18];
    int32_t MaxCode[18];
    int32_t FirstSymbol[18];
    /* Also indexed by the next 8 bits: when a code and the s = symbol & 15 value bits that
     * follow it fit in those 8 bits, (extended value << 16) | (s << 12) | (run << 8) | (code
     * length + s), with run = symbol >> 4; 0 otherwise.  Lets the block decoders take a
     * symbol and its value with one look-up. */
    int32_t FastLookup[256];
} HuffmanTable;

/* Caller-supplied tables (UseRawQuantTables, UseRawHuffmanTables). */
typedef struct RawQuantTable {
    uint8_t *Values; /* 64 values in zig-zag order (128 bytes for a 16-bit DQT copy) */
    uint8_t TableId;
} RawQuantTable;

typedef struct RawHuffmanTable {
    uint8_t *Counts; /* 16 code-length counts */
    uint8_t *Values; /* the symbols */
    uint8_t TableClass;
    uint8_t TableId;
} RawHuffmanTable;

/* ---- Frame, scan and decoder helpers ----------------------------------------------------- */

typedef struct FrameComponent {
    int32_t Id;
    int32_t HSampling;
    int32_t VSampling;
    int32_t QuantSelector;
} FrameComponent;

typedef struct ScanComponent {
    int32_t FrameIndex; /* index into Components */
    int32_t HSampling;
    int32_t VSampling;
    HuffmanTable *DcTable;
    HuffmanTable *AcTable;
    QuantTable *QuantTable;
} ScanComponent;

/* One scan, from its SOS until it is finished; kept across calls while a decode is
 * interrupted so that the next call resumes at (ResumeColumn, ResumeRow). */
typedef struct ScanHeader {
    int32_t ScanComponentCount; /* Ns */
    int32_t SpectralStart;      /* Ss */
    int32_t SpectralEnd;        /* Se */
    int32_t ApproxHigh;         /* Ah */
    int32_t ApproxLow;          /* Al */
    int32_t ScanRestartInterval;
    int32_t ResumeColumn;
    int32_t ResumeRow;
    int32_t DcPredictor[4];
    ScanComponent *Components;
} ScanHeader;

/* Stream state at the start of one MCU row of a region read, so that a later region read of
 * the same scan can jump there.  Position is StreamByteCount (file modes) or the offset of
 * StreamPos from JpegBuffer (memory modes); -1 marks an empty entry. */
typedef struct RoiIndexEntry {
    int64_t Position;
    int32_t DcPredictor[4];
    uint64_t BitAccumulator;
    int32_t BitCount;
    int32_t PendingMarker;
} RoiIndexEntry;

enum { ROI_INDEX_ENTRIES = 8192 };

/* Caller planes for raw output: Control 0 receives the quantised coefficients, any other
 * value the decoded samples.  One plane of 16-bit entries per frame component. */
typedef struct RawPlanes {
    int32_t Control;
    int16_t *Plane[4];
} RawPlanes;

/* Smoothing buffers of the upsampler (UpsamplingMode 1): four planes of McusPerRow + 2 MCU
 * slots sharing one allocation, and the MCU row last seen. */
typedef struct SmoothingPlanes {
    int16_t *Plane[4];
    int16_t *Block; /* the shared allocation */
    int32_t LastRow;
} SmoothingPlanes;

/* ---- Stream state ------------------------------------------------------------------------ */

enum { CODEC_FILE_BUFFER_SIZE = 4096 };

struct DispatchTable; /* routine table chosen by CodecInit for this processor */

typedef struct CodecStream {
    uint64_t BitAccumulator; /* new bytes enter at the low end */
    struct DispatchTable *Dispatch;
    int32_t BitCount;     /* valid bits at the low end of BitAccumulator */
    uint8_t *StreamPos;   /* next byte to read or write */
    uint8_t *StreamStart; /* JpegBuffer (memory modes) or FileBuffer (file modes) */
    uint8_t *StreamEnd;   /* one past the last valid byte */
    int32_t StreamByteCount;
    int32_t StreamCapacity;
    int32_t StreamBytesLeft; /* kept equal to StreamEnd - StreamPos */
    int32_t EobRun;
    uint8_t *PixelCursor;
    uint8_t PendingMarker; /* marker code already taken out of the stream, 0 = none */
    int32_t ProcessorClass;
    int32_t DecodedComponents;
    int32_t FileMode;   /* non-zero when the stream runs through FileBuffer */
    int32_t FileHandle; /* -1 when no file is open */
    uint8_t FileBuffer[CODEC_FILE_BUFFER_SIZE];
} CodecStream;

/* ---- The inner record -------------------------------------------------------------------- */

enum { CODEC_WORK_AREA_BLOCKS = 11 };

typedef struct CodecState {
    int32_t IoMode;
    int32_t Roi[4]; /* left, top, right, bottom */
    int32_t DctMethod;
    int32_t OutputLayout;
    int32_t InterruptRequest;

    /* copies of the outer fields 2 to 8 */
    uint8_t *PixelBuffer;
    int32_t PixelWidth;
    int32_t PixelHeight;
    int32_t PixelRowPadding;
    int32_t PixelChannels;
    int32_t PixelColour;
    int32_t PixelSubsampling;
    int32_t PixelRowStride;

    /* copies of the outer fields 9 to 21 */
    const char *JpegFileName;
    uint8_t *JpegBuffer;
    int32_t JpegBufferSize;
    int32_t JpegWidth;
    int32_t JpegHeight;
    int32_t JpegChannels;
    int32_t JpegColour;
    int32_t JpegSubsampling;
    int32_t ThumbnailWidth;
    int32_t ThumbnailHeight;
    int32_t ColourConversionWanted;
    int32_t UpsamplingWanted;
    int32_t Quality;

    int32_t NonInterleaved;
    int32_t McusPerRow;
    int32_t McusPerColumn;

    int32_t QuantTableCount;
    int32_t RawQuantTableCount;
    int32_t AcTableCount;
    int32_t DcTableCount;
    int32_t RawHuffmanTableCount;

    QuantTable QuantTables[4];
    HuffmanTable AcHuffmanTables[4];
    HuffmanTable DcHuffmanTables[4];
    QuantTable *QuantTableOfId[4];
    HuffmanTable *AcTableOfId[4];
    HuffmanTable *DcTableOfId[4];
    int32_t UseRawQuantTables;
    int32_t UseRawHuffmanTables;
    RawQuantTable RawQuantTables[4];
    RawHuffmanTable RawHuffmanTables[8];
    uint8_t AcTableOfComponent[4];
    uint8_t DcTableOfComponent[4];

    /* frame */
    int32_t FramePrecision;
    int32_t FrameWidth;
    int32_t FrameHeight;
    int32_t McuHeight;
    int32_t McuWidth;
    int32_t MaxHSampling;
    int32_t MaxVSampling;
    int32_t ComponentCount;
    FrameComponent *Components;
    int32_t FrameMcusPerRow;
    int32_t McuTotal;
    int32_t RestartInterval;
    int32_t DcScanComponents;
    int32_t AcPassesDone;
    int32_t FramePending;

    ScanHeader *Scan;
    CodecStream Stream;

    int32_t AdobeSeen;
    int32_t AdobeTransform;
    RoiIndexEntry *RoiIndex;
    int16_t *WorkArea; /* first 32-byte boundary inside WorkAreaSpace */
    uint8_t WorkAreaSpace[CODEC_WORK_AREA_BLOCKS * 64 * 2 + 32];
    int32_t ProcessorClassCopy;
    RawPlanes *RawPlanes;
    int32_t Progressive;
    int16_t *CoefficientStore;
    int32_t UpsamplingMode;
    SmoothingPlanes *Planes;
    uint16_t AdobeVersion;
    uint16_t AdobeFlags0;
    uint16_t AdobeFlags1;
    int32_t JfifSeen;
    uint16_t JfifVersion;
    uint8_t JfifUnits;
    uint16_t JfifXDensity;
    uint16_t JfifYDensity;
    uint8_t *CommentText;
    uint16_t CommentSize;
} CodecState;

/* ---- The outer record -------------------------------------------------------------------- */

typedef struct CodecProperties {
    int32_t UseInnerRecord;
    uint8_t *PixelBuffer;
    int32_t PixelWidth;
    int32_t PixelHeight; /* negative: rows stored bottom-up */
    int32_t PixelRowPadding;
    int32_t PixelChannels;
    int32_t PixelColour;
    int32_t PixelSubsampling;
    const char *JpegFileName;
    uint8_t *JpegBuffer;
    int32_t JpegBufferSize;
    int32_t JpegWidth;
    int32_t JpegHeight;
    int32_t JpegChannels;
    int32_t JpegColour;
    int32_t JpegSubsampling;
    int32_t ThumbnailWidth;
    int32_t ThumbnailHeight;
    int32_t ColourConversionWanted;
    int32_t UpsamplingWanted;
    int32_t Quality;
    struct CodecState CodecState;
} CodecProperties;

/* ---- Version ----------------------------------------------------------------------------- */

typedef struct CodecVersionInfo {
    int32_t Major;
    int32_t Minor;
    int32_t Build;
    const char *LibraryName;
    const char *VersionText;
    const char *InternalVersionText;
    const char *BuildDate;
} CodecVersionInfo;

/* ---- Exports ----------------------------------------------------------------------------- */

RASTRUM_API CodecError CodecInit(CodecProperties *record);
RASTRUM_API CodecError CodecRead(CodecProperties *record, int32_t mode);
RASTRUM_API CodecError CodecWrite(CodecProperties *record, int32_t mode);
RASTRUM_API CodecError CodecFree(CodecProperties *record);

/* The message of a result code ("Unknown error code" for codes without one). */
RASTRUM_API const char *CodecErrorText(CodecError code);
/* The library's version record. */
RASTRUM_API const CodecVersionInfo *CodecVersion(void);

#ifdef __cplusplus
}
#endif

#endif /* RASTRUM_H */
