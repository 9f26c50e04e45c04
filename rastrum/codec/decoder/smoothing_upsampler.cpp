// The smoothing upsampler (UpsamplingMode 1) for chroma sampled at half the luma's rate: each
// new sample weighs the nearest chroma sample 3 (or 9) to 1 against its neighbours instead of
// repeating it.  Neighbours across an MCU edge come from the adjacent MCUs in the smoothing
// planes, whose margins repeat the picture's outermost samples.
#include "output_routines.h"

namespace rastrum {

void SmoothHorizontal(const int16_t *left, const int16_t *centre, const int16_t *right,
                      int32_t n, int32_t rows, int16_t *out) {
    for (int32_t r = 0; r < rows; ++r) {
        int32_t row[8 + 2];
        row[0] = left[8 * r + n - 1];
        for (int32_t i = 0; i < n; ++i) {
            row[i + 1] = centre[8 * r + i];
        }
        row[n + 1] = right[8 * r];
        int16_t *line = out + kExpandedStride * r;
        for (int32_t i = 1; i <= n; ++i) {
            const int32_t nearest = 3 * row[i];
            line[2 * i - 2] = static_cast<int16_t>((row[i - 1] + nearest + 1) >> 2);
            line[2 * i - 1] = static_cast<int16_t>((row[i + 1] + nearest + 2) >> 2);
        }
    }
}

void SmoothBlock420(const int16_t *const around[3][3], int16_t *out) {
    // The block with a one-sample border taken from its eight neighbours.
    int32_t padded[10][10];
    const int16_t *centre = around[1][1];
    for (int32_t i = 0; i < 8; ++i) {
        for (int32_t j = 0; j < 8; ++j) {
            padded[i + 1][j + 1] = centre[8 * i + j];
        }
        padded[i + 1][0] = around[1][0][8 * i + 7];
        padded[i + 1][9] = around[1][2][8 * i];
        padded[0][i + 1] = around[0][1][56 + i];
        padded[9][i + 1] = around[2][1][i];
    }
    padded[0][0] = around[0][0][63];
    padded[0][9] = around[0][2][56];
    padded[9][0] = around[2][0][7];
    padded[9][9] = around[2][2][0];

    for (int32_t i = 1; i <= 8; ++i) {
        int16_t *top = out + kExpandedStride * (2 * i - 2);
        int16_t *bottom = top + kExpandedStride;
        for (int32_t j = 1; j <= 8; ++j) {
            const int32_t nearest = 9 * padded[i][j];
            const int32_t left = 3 * padded[i][j - 1];
            const int32_t right = 3 * padded[i][j + 1];
            const int32_t up = 3 * padded[i - 1][j];
            const int32_t down = 3 * padded[i + 1][j];
            top[2 * j - 2] = static_cast<int16_t>((nearest + left + up + padded[i - 1][j - 1] + 8) >> 4);
            top[2 * j - 1] = static_cast<int16_t>((nearest + right + up + padded[i - 1][j + 1] + 7) >> 4);
            bottom[2 * j - 2] =
                static_cast<int16_t>((nearest + left + down + padded[i + 1][j - 1] + 8) >> 4);
            bottom[2 * j - 1] =
                static_cast<int16_t>((nearest + right + down + padded[i + 1][j + 1] + 7) >> 4);
        }
    }
}

} // namespace rastrum
