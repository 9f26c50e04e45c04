// Sequential (baseline and extended) block decoding: the DC difference and the run/size coded AC
// coefficients of one 8x8 block, and the same walk that only keeps the DC prediction.
#include <cstring>

#include "block_bit_reader.h"

namespace rastrum {

namespace {

// Decodes one block; with KeepCoefficients false the AC values are read and dropped.  A marker
// that stops the stream (kMarkerStop) leaves the block as far as it was decoded.
template <bool KeepCoefficients>
int32_t DecodeCoefficients(BlockBitReader &reader, const HuffmanTable &dc, const HuffmanTable &ac,
                           int32_t *predictor, int16_t *block) {
    int32_t difference = 0;
    int32_t result = DecodeDcDifference(reader, dc, difference);
    if (result != 0) {
        return result;
    }
    *predictor = AddPrediction(*predictor, difference);
    block[0] = static_cast<int16_t>(*predictor);

    for (int32_t k = 1; k <= 63;) {
        if (reader.Count() < 8) {
            result = reader.Fill(0);
            if (result != 0) {
                return result;
            }
        }
        int32_t symbol = 0;
        if (reader.Count() >= 8) {
            const uint32_t next = reader.Peek8();
            // Short codes whose value bits fit in the same 8 bits: one look-up gives all.
            const int32_t fast = ac.FastLookup[next];
            if (fast != 0) {
                reader.Drop(fast & 255);
                const int32_t run = (fast >> 8) & 15;
                if ((fast & 0xF000) == 0) {
                    if (run != 15) {
                        break;
                    }
                    k += 16;
                    continue;
                }
                k += run;
                if constexpr (KeepCoefficients) {
                    block[kZigZagToNatural[k]] = static_cast<int16_t>(fast >> 16);
                }
                ++k;
                continue;
            }
            const uint32_t entry = ac.Lookahead[next];
            if (entry != 0) {
                reader.Drop(static_cast<int32_t>(entry >> 16));
                symbol = static_cast<int32_t>(entry & 0xFFFF);
            } else if ((result = reader.Symbol(ac, symbol)) != 0) {
                return result;
            }
        } else if ((result = reader.Symbol(ac, symbol)) != 0) {
            return result;
        }
        const int32_t run = symbol >> 4;
        const int32_t size = symbol & 15;
        if (size == 0) {
            if (run != 15) {
                break;
            }
            k += 16;
            continue;
        }
        k += run;
        result = reader.Ensure(size);
        if (result != 0) {
            return result;
        }
        const uint32_t bits = reader.Get(size);
        if constexpr (KeepCoefficients) {
            block[kZigZagToNatural[k]] = static_cast<int16_t>(ExtendValue(bits, size));
        }
        ++k;
    }
    return 0;
}

int32_t FinishBlock(int32_t result) {
    return result == kMarkerStop ? 0 : result;
}

} // namespace

int32_t DecodeBlockPlain(CodecStream &stream, const HuffmanTable &dc, const HuffmanTable &ac,
                         int32_t *predictor, int16_t *block) {
    std::memset(block, 0, 64 * sizeof(int16_t));
    BlockBitReader reader(stream);
    return FinishBlock(DecodeCoefficients<true>(reader, dc, ac, predictor, block));
}

int32_t SkipBlockPlain(CodecStream &stream, const HuffmanTable &dc, const HuffmanTable &ac,
                       int32_t *predictor, int16_t *block) {
    BlockBitReader reader(stream);
    return FinishBlock(DecodeCoefficients<false>(reader, dc, ac, predictor, block));
}

} // namespace rastrum
