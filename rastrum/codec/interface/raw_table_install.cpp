// Caller-supplied tables for abbreviated streams.  The quantisation values arrive in zig-zag
// order as a DQT holds them, so they are prepared exactly as a parsed DQT would be; otherwise the
// transforms would see unscaled values in the wrong order.
#include "raw_table_install.h"

#include <iterator>

#include "entropy_decoder.h"
#include "inverse_dct.h"

namespace rastrum {

namespace {

CodecError InstallQuantTables(CodecState &state) {
    const int32_t count = state.RawQuantTableCount;
    if (count < 0 || count > static_cast<int32_t>(std::size(state.RawQuantTables))) {
        return CODEC_BAD_QUANT_TABLE;
    }
    for (int32_t k = 0; k < count; ++k) {
        const RawQuantTable &raw = state.RawQuantTables[k];
        if (raw.Values == nullptr) {
            return CODEC_BAD_QUANT_TABLE;
        }
        int16_t zigzag[64];
        for (int32_t i = 0; i < 64; ++i) {
            zigzag[i] = raw.Values[i];
        }
        QuantTable &table = state.QuantTables[k];
        table.TableId = raw.TableId;
        table.Precision = 0;
        if (state.DctMethod == 1) {
            PrepareQuantTableB(table, zigzag);
        } else {
            PrepareQuantTableA(table, zigzag);
        }
    }
    return CODEC_SUCCESS;
}

CodecError InstallHuffmanTables(CodecState &state) {
    const int32_t count = state.RawHuffmanTableCount;
    if (count < 0 || count > static_cast<int32_t>(std::size(state.RawHuffmanTables))) {
        return CODEC_BAD_HUFFMAN_TABLE;
    }
    for (int32_t k = 0; k < count; ++k) {
        const RawHuffmanTable &raw = state.RawHuffmanTables[k];
        if (raw.Counts == nullptr || raw.Values == nullptr || raw.TableClass > 1 ||
            raw.TableId > 3) {
            return CODEC_BAD_HUFFMAN_TABLE;
        }
        HuffmanTable &table = raw.TableClass == 0 ? state.DcHuffmanTables[raw.TableId]
                                                  : state.AcHuffmanTables[raw.TableId];
        if (BuildHuffmanTable(raw.Counts, raw.Values, raw.TableClass, raw.TableId, table) != 0) {
            return CODEC_BAD_HUFFMAN_TABLE;
        }
    }
    return CODEC_SUCCESS;
}

} // namespace

CodecError InstallRawTables(CodecState &state) {
    if (state.UseRawQuantTables != 0) {
        const CodecError result = InstallQuantTables(state);
        if (result != CODEC_SUCCESS) {
            return result;
        }
    }
    if (state.UseRawHuffmanTables != 0) {
        return InstallHuffmanTables(state);
    }
    return CODEC_SUCCESS;
}

} // namespace rastrum
