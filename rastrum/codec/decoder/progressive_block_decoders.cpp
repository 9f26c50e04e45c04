// Progressive block decoding: first and refining passes of the DC coefficient and of an AC band,
// with end-of-band runs that span blocks.  Each works on the block's slot in CoefficientStore.
#include <algorithm>

#include "block_bit_reader.h"

namespace rastrum {

namespace {

int32_t FinishBlock(int32_t result) {
    return result == kMarkerStop ? 0 : result;
}

// The last zig-zag index of the scan's band; a stream that names a band end past 63 is held to
// the block.
int32_t BandEnd(const ScanHeader &scan) {
    return std::min(scan.SpectralEnd, 63);
}

int32_t ShiftLeft(int32_t value, int32_t shift) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) << shift);
}

// Reads an end-of-band length: 2^run plus run more bits.
int32_t ReadEobRun(BlockBitReader &reader, int32_t run, int32_t &eobRun) {
    int32_t length = 1 << run;
    if (run > 0) {
        const int32_t result = reader.Ensure(run);
        if (result != 0) {
            return result;
        }
        length += static_cast<int32_t>(reader.Get(run));
    }
    eobRun = length;
    return 0;
}

// Applies one correction bit to an already non-zero coefficient: when the bit is 1 and the
// coefficient lacks bit Al, its magnitude grows by 2^Al.
int32_t Correct(BlockBitReader &reader, int16_t &coefficient, int32_t plusOne, int32_t minusOne) {
    const int32_t result = reader.Ensure(1);
    if (result != 0) {
        return result;
    }
    if (reader.Get(1) != 0 && (coefficient & plusOne) == 0) {
        coefficient = static_cast<int16_t>(coefficient + (coefficient >= 0 ? plusOne : minusOne));
    }
    return 0;
}

int32_t AcFirst(BlockBitReader &reader, CodecStream &stream, const ScanHeader &scan,
                const HuffmanTable &ac, int16_t *block) {
    if (stream.EobRun > 0) {
        --stream.EobRun;
        return 0;
    }
    const int32_t end = BandEnd(scan);
    for (int32_t k = scan.SpectralStart; k <= end; ++k) {
        int32_t symbol = 0;
        int32_t result = reader.Symbol(ac, symbol);
        if (result != 0) {
            return result;
        }
        const int32_t run = symbol >> 4;
        const int32_t size = symbol & 15;
        if (size != 0) {
            k += run;
            result = reader.Ensure(size);
            if (result != 0) {
                return result;
            }
            const int32_t value = ExtendValue(reader.Get(size), size);
            block[kZigZagToNatural[k]] = static_cast<int16_t>(ShiftLeft(value, scan.ApproxLow));
        } else if (run == 15) {
            k += 15;
        } else {
            int32_t eobRun = 0;
            result = ReadEobRun(reader, run, eobRun);
            if (result != 0) {
                return result;
            }
            stream.EobRun = eobRun - 1;
            break;
        }
    }
    return 0;
}

int32_t AcRefine(BlockBitReader &reader, CodecStream &stream, const ScanHeader &scan,
                 const HuffmanTable &ac, int16_t *block) {
    const int32_t plusOne = 1 << scan.ApproxLow;
    const int32_t minusOne = -plusOne;
    const int32_t end = BandEnd(scan);
    int32_t k = scan.SpectralStart;
    int32_t result = 0;
    if (stream.EobRun == 0) {
        for (; k <= end; ++k) {
            int32_t symbol = 0;
            result = reader.Symbol(ac, symbol);
            if (result != 0) {
                return result;
            }
            int32_t run = symbol >> 4;
            const int32_t size = symbol & 15;
            int32_t value = 0;
            if (size != 0) {
                result = reader.Ensure(1);
                if (result != 0) {
                    return result;
                }
                value = reader.Get(1) != 0 ? plusOne : minusOne;
            } else if (run != 15) {
                result = ReadEobRun(reader, run, stream.EobRun);
                if (result != 0) {
                    return result;
                }
                break;
            }
            // Walk over the band: non-zero coefficients take a correction bit, zero ones count
            // down the run; the new coefficient lands on the zero after the run.
            do {
                int16_t &coefficient = block[kZigZagToNatural[k]];
                if (coefficient != 0) {
                    result = Correct(reader, coefficient, plusOne, minusOne);
                    if (result != 0) {
                        return result;
                    }
                } else if (--run < 0) {
                    break;
                }
                ++k;
            } while (k <= end);
            if (value != 0) {
                block[kZigZagToNatural[k]] = static_cast<int16_t>(value);
            }
        }
    }
    if (stream.EobRun > 0) {
        for (; k <= end; ++k) {
            int16_t &coefficient = block[kZigZagToNatural[k]];
            if (coefficient != 0) {
                result = Correct(reader, coefficient, plusOne, minusOne);
                if (result != 0) {
                    return result;
                }
            }
        }
        --stream.EobRun;
    }
    return 0;
}

} // namespace

int32_t DecodeDcFirst(CodecStream &stream, const ScanHeader &scan, const HuffmanTable &dc,
                      int32_t *predictor, int16_t *block) {
    BlockBitReader reader(stream);
    int32_t difference = 0;
    const int32_t result = DecodeDcDifference(reader, dc, difference);
    if (result != 0) {
        return FinishBlock(result);
    }
    *predictor = AddPrediction(*predictor, difference);
    block[0] = static_cast<int16_t>(ShiftLeft(*predictor, scan.ApproxLow));
    return 0;
}

int32_t DecodeDcRefine(CodecStream &stream, const ScanHeader &scan, int16_t *block) {
    BlockBitReader reader(stream);
    const int32_t result = reader.Ensure(1);
    if (result != 0) {
        return FinishBlock(result);
    }
    if (reader.Get(1) != 0) {
        block[0] = static_cast<int16_t>(block[0] | ShiftLeft(1, scan.ApproxLow));
    }
    return 0;
}

int32_t DecodeAcFirst(CodecStream &stream, const ScanHeader &scan, const HuffmanTable &ac,
                      int16_t *block) {
    BlockBitReader reader(stream);
    return FinishBlock(AcFirst(reader, stream, scan, ac, block));
}

int32_t DecodeAcRefine(CodecStream &stream, const ScanHeader &scan, const HuffmanTable &ac,
                       int16_t *block) {
    BlockBitReader reader(stream);
    return FinishBlock(AcRefine(reader, stream, scan, ac, block));
}

} // namespace rastrum
