// Dequantisation and inverse DCT: the worked examples of both families, bit-exactness of the
// packed routines against a plain transcription of the formulas for every kind of 16-bit input,
// and the reduced sizes against the full-size transform.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <random>

#include "entropy_decoder.h"
#include "inverse_dct.h"

namespace rastrum {
namespace {

using Block = std::array<int16_t, 64>;

// ---- Plain transcription of the formulas: 64-bit arithmetic, truncated to 32 bits wherever
// ---- a value is stored or shifted.

int32_t Wrap(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

int32_t Shr(int64_t value, int shift) {
    return Wrap(value) >> shift;
}

int16_t Low16(int64_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(value)));
}

int16_t Clamp8(int32_t value) {
    return static_cast<int16_t>(std::clamp(value, 0, 255));
}

void ReferenceDequantizeA(Block &block, const int16_t *table) {
    for (int i = 0; i < 64; ++i) {
        block[i] = Low16(Shr(int64_t{block[i]} * table[i] + 64, 7));
    }
}

void ReferenceDequantizeB(Block &block, const int16_t *table) {
    for (int i = 0; i < 64; ++i) {
        block[i] = Low16(int64_t{block[i]} * table[i]);
    }
}

// The family B butterfly; returns the eight values before the pass's descaling.
std::array<int32_t, 8> ReferenceButterflyB(const std::array<int32_t, 8> &x) {
    const int32_t a1 = Wrap(32138LL * x[1] + 6393LL * x[7]);
    const int32_t b1 = Wrap(6393LL * x[1] - 32138LL * x[7]);
    const int32_t a2 = Wrap(18205LL * x[5] + 27246LL * x[3]);
    const int32_t b2 = Wrap(27246LL * x[5] - 18205LL * x[3]);
    const int32_t t1 = Wrap(int64_t{Shr(int64_t{a1} + a2 + 2048, 12)} * 5793);
    const int32_t t2 = Wrap(int64_t{Shr(int64_t{b1} + b2 + 2048, 12)} * 5793);
    const int32_t s1 = Wrap(int64_t{a1} - a2 + (int64_t{b1} - b2));
    const int32_t s2 = Wrap(int64_t{a1} - a2 - (int64_t{b1} - b2));
    const int32_t e0 = Wrap((int64_t{x[0]} + x[4]) * 32768);
    const int32_t e1 = Wrap((int64_t{x[0]} - x[4]) * 32768);
    const int32_t c1 = Wrap(42813LL * x[2] + 17734LL * x[6]);
    const int32_t c2 = Wrap(17734LL * x[2] - 42813LL * x[6]);
    const int32_t A0 = Wrap(int64_t{e0} + c1);
    const int32_t A3 = Wrap(int64_t{e0} - c1);
    const int32_t A1 = Wrap(int64_t{e1} + c2);
    const int32_t A2 = Wrap(int64_t{e1} - c2);
    return {Wrap(int64_t{t1} + A0), Wrap(int64_t{s1} + A1), Wrap(int64_t{s2} + A2),
            Wrap(int64_t{t2} + A3), Wrap(int64_t{A3} - t2), Wrap(int64_t{A2} - s2),
            Wrap(int64_t{A1} - s1), Wrap(int64_t{A0} - t1)};
}

void ReferenceInverseDctB(Block &block) {
    int32_t work[64];
    for (int r = 0; r < 8; ++r) {
        std::array<int32_t, 8> x{};
        for (int k = 0; k < 8; ++k) {
            x[k] = block[8 * r + k];
        }
        const auto out = ReferenceButterflyB(x);
        for (int k = 0; k < 8; ++k) {
            work[8 * r + k] = Shr(int64_t{out[k]} + 2048, 12);
        }
    }
    for (int c = 0; c < 8; ++c) {
        std::array<int32_t, 8> x{};
        for (int k = 0; k < 8; ++k) {
            x[k] = work[8 * k + c];
        }
        const auto out = ReferenceButterflyB(x);
        for (int k = 0; k < 8; ++k) {
            block[8 * k + c] = Clamp8(Shr(int64_t{out[k]} + 1048576, 21) + 128);
        }
    }
}

int32_t R15(int64_t value) {
    return Shr(Wrap(value) + int64_t{16384}, 15);
}

std::array<int32_t, 8> ReferenceButterflyA(const std::array<int32_t, 8> &x) {
    const int32_t z10 = Wrap(int64_t{x[5]} - x[3]);
    const int32_t z13 = Wrap(int64_t{x[5]} + x[3]);
    const int32_t z12 = Wrap(int64_t{x[1]} - x[7]);
    const int32_t z11 = Wrap(int64_t{x[1]} + x[7]);
    const int32_t e = R15((int64_t{z10} - z12) * 25080);
    const int32_t t7 = Wrap(int64_t{z11} + z13);
    const int32_t t6 = Wrap(int64_t{R15(int64_t{z12} * 35468)} - e - t7);
    const int32_t t5 = Wrap(int64_t{R15((int64_t{z11} - z13) * 46341)} - t6);
    const int32_t t4 = Wrap(int64_t{e} - R15(int64_t{z10} * 85627) + t5);
    const int32_t t10 = Wrap(int64_t{x[0]} + x[4]);
    const int32_t t11 = Wrap(int64_t{x[0]} - x[4]);
    const int32_t t13 = Wrap(int64_t{x[2]} + x[6]);
    const int32_t t12 = Wrap(int64_t{R15((int64_t{x[2]} - x[6]) * 46341)} - t13);
    const int32_t t0 = Wrap(int64_t{t10} + t13);
    const int32_t t3 = Wrap(int64_t{t10} - t13);
    const int32_t t1 = Wrap(int64_t{t11} + t12);
    const int32_t t2 = Wrap(int64_t{t11} - t12);
    return {Wrap(int64_t{t0} + t7), Wrap(int64_t{t1} + t6), Wrap(int64_t{t2} + t5),
            Wrap(int64_t{t3} - t4), Wrap(int64_t{t3} + t4), Wrap(int64_t{t2} - t5),
            Wrap(int64_t{t1} - t6), Wrap(int64_t{t0} - t7)};
}

void ReferenceInverseDctA(Block &block) {
    for (int c = 0; c < 8; ++c) {
        std::array<int32_t, 8> x{};
        for (int k = 0; k < 8; ++k) {
            x[k] = block[8 * k + c];
        }
        const auto out = ReferenceButterflyA(x);
        for (int k = 0; k < 8; ++k) {
            block[8 * k + c] = Low16(out[k]);
        }
    }
    for (int r = 0; r < 8; ++r) {
        std::array<int32_t, 8> x{};
        for (int k = 0; k < 8; ++k) {
            x[k] = block[8 * r + k];
        }
        const auto out = ReferenceButterflyA(x);
        for (int k = 0; k < 8; ++k) {
            block[8 * r + k] = Clamp8((Wrap(int64_t{out[k]} + 8) >> 4) + 128);
        }
    }
}

// ---- Random blocks of every kind the transforms must get right.

enum class Kind { Sparse, Dense, Extreme, Natural };

Block RandomBlock(std::mt19937 &rng, Kind kind) {
    std::uniform_int_distribution<int> any(-32768, 32767);
    std::uniform_int_distribution<int> position(0, 63);
    Block block{};
    switch (kind) {
    case Kind::Sparse: {
        const int count = 1 + position(rng) % 6;
        for (int i = 0; i < count; ++i) {
            block[position(rng)] = static_cast<int16_t>(any(rng));
        }
        break;
    }
    case Kind::Dense:
        for (auto &c : block) {
            c = static_cast<int16_t>(any(rng));
        }
        break;
    case Kind::Extreme: {
        constexpr int16_t kValues[] = {-32768, 32767, -32767, 0, 0, 1, -1, 16384, -16385};
        std::uniform_int_distribution<int> pick(0, 8);
        for (auto &c : block) {
            c = kValues[pick(rng)];
        }
        break;
    }
    case Kind::Natural:
        // Dequantised coefficients of real pictures: large DC, AC shrinking with frequency.
        for (int i = 0; i < 64; ++i) {
            const int limit = i == 0 ? 8191 : 2048 / (1 + (i >> 3) + (i & 7));
            block[i] = static_cast<int16_t>(std::uniform_int_distribution<int>(-limit, limit)(rng));
        }
        break;
    }
    return block;
}

constexpr Kind kAllKinds[] = {Kind::Sparse, Kind::Dense, Kind::Extreme, Kind::Natural};

// Natural position of each zig-zag index, written out as the reader of a DQT knows it.
constexpr int kNaturalOfZigZag[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// ---- Quantisation tables

TEST(QuantTablePreparation, AanScaleIsTheProductOfTheOneDimensionalFactors) {
    const auto a = [](int k) {
        return k == 0 ? 1.0 : std::sqrt(2.0) * std::cos(k * std::numbers::pi / 16);
    };
    for (int z = 0; z < 64; ++z) {
        const int p = kNaturalOfZigZag[z];
        EXPECT_NEAR(kAanScale[z], a(p / 8) * a(p % 8) / 8, 5e-7) << "zig-zag " << z;
    }
}

TEST(QuantTablePreparation, FamilyAScalesRoundsAndWrapsInSixteenBits) {
    int16_t zigzag[64];
    for (auto &q : zigzag) {
        q = 1;
    }
    zigzag[0] = 16; // 16 x 0.125 x 2048 + 0.5 = 4096.5
    zigzag[4] = 67; // natural (1, 1): 67 x 0.240485 x 2048 + 0.5 = 32998.5, wraps
    zigzag[63] = -1000;
    QuantTable table{};
    PrepareQuantTableA(table, zigzag);
    ASSERT_NE(table.Entries, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(table.Entries) % 8, 0u);
    EXPECT_EQ(table.Entries[0], 4096);
    EXPECT_EQ(table.Entries[9], -32538);
    EXPECT_EQ(table.Entries[1], 355);    // 0.173380 x 2048 + 0.5 = 355.58
    EXPECT_EQ(table.Entries[63], -19486); // -1000 x 0.009515 x 2048 + 0.5 = -19486.2
    for (int i = 64; i < 80; ++i) {
        EXPECT_EQ(table.Entries[i], 0) << i;
    }
}

TEST(QuantTablePreparation, FamilyBReordersToNaturalOrderAndKeepsValues) {
    int16_t zigzag[64];
    for (int z = 0; z < 64; ++z) {
        zigzag[z] = static_cast<int16_t>(z == 5 ? -32768 : 100 + z);
    }
    QuantTable table{};
    table.Entries = table.Area + 4; // set by CodecInit: left where it is
    for (auto &e : table.Area) {
        e = 7;
    }
    PrepareQuantTableB(table, zigzag);
    EXPECT_EQ(table.Entries, table.Area + 4);
    for (int z = 0; z < 64; ++z) {
        EXPECT_EQ(table.Entries[kNaturalOfZigZag[z]], zigzag[z]) << z;
    }
    for (int i = 64; i < 80; ++i) {
        EXPECT_EQ(table.Entries[i], 0) << i;
    }
}

// ---- Worked examples

TEST(InverseDct, LoneDcGivesOneLevelInBothFamilies) {
    const struct {
        int16_t dc;
        void (*transform)(int16_t *);
        int size;
        int16_t sample;
    } cases[] = {
        {80, InverseDctB, 8, 138},          {-1100, InverseDctB, 8, 0},
        {80, InverseDctBHalf, 4, 138},      {80, InverseDctBQuarter, 2, 138},
        {80, InverseDctBEighth, 1, 138},    {-1100, InverseDctBEighth, 1, 0},
        {2000, InverseDctB, 8, 255},        {160, InverseDctA, 8, 138},
        {160, InverseDctAHalf, 4, 138},     {160, InverseDctAQuarter, 2, 138},
        {160, InverseDctAEighth, 1, 138},   {-2200, InverseDctA, 8, 0},
        {-32768, InverseDctB, 8, 128},      // the 32-bit shift wraps to 0
    };
    for (const auto &c : cases) {
        Block block{};
        block[0] = c.dc;
        c.transform(block.data());
        for (int r = 0; r < c.size; ++r) {
            for (int k = 0; k < c.size; ++k) {
                EXPECT_EQ(block[8 * r + k], c.sample) << "dc " << c.dc << " at " << r << "," << k;
            }
        }
    }
}

TEST(InverseDct, FamilyAQuantisedDcMatchesFamilyB) {
    int16_t zigzag[64] = {16};
    QuantTable table{};
    PrepareQuantTableA(table, zigzag);
    Block block{};
    block[0] = 5;
    DequantizeA(block.data(), table.Entries);
    EXPECT_EQ(block[0], 160);
    InverseDctA(block.data());
    for (const int16_t s : block) {
        EXPECT_EQ(s, 138);
    }
}

TEST(InverseDct, FirstHorizontalFrequencyGivesTheKnownRamp) {
    const struct {
        void (*transform)(int16_t *);
        std::array<int16_t, 8> row;
    } cases[] = {
        {InverseDctB, {145, 143, 138, 131, 125, 118, 113, 111}},
        {InverseDctA, {134, 133, 132, 129, 127, 125, 123, 122}},
    };
    for (const auto &c : cases) {
        Block block{};
        block[1] = 100;
        c.transform(block.data());
        for (int r = 0; r < 8; ++r) {
            for (int k = 0; k < 8; ++k) {
                EXPECT_EQ(block[8 * r + k], c.row[k]) << r << "," << k;
            }
        }
    }
}

// ---- The packed routines against the plain formulas

TEST(InverseDct, FullSizeTransformsAreBitExactForAnyInput) {
    std::mt19937 rng(20240611);
    for (const Kind kind : kAllKinds) {
        for (int n = 0; n < 20000; ++n) {
            const Block input = RandomBlock(rng, kind);
            Block expected = input;
            Block actual = input;
            ReferenceInverseDctB(expected);
            InverseDctB(actual.data());
            ASSERT_EQ(actual, expected) << "family B, kind " << static_cast<int>(kind);
            expected = input;
            actual = input;
            ReferenceInverseDctA(expected);
            InverseDctA(actual.data());
            ASSERT_EQ(actual, expected) << "family A, kind " << static_cast<int>(kind);
        }
    }
}

TEST(InverseDct, DcOnlyShortcutIsBitExactOverTheWholeRange) {
    for (int dc = -32768; dc <= 32767; ++dc) {
        Block expected{};
        expected[0] = static_cast<int16_t>(dc);
        Block actual = expected;
        ReferenceInverseDctB(expected);
        InverseDctB(actual.data());
        ASSERT_EQ(actual, expected) << dc;
    }
}

TEST(Dequantize, BothFamiliesAreBitExactForAnyInput) {
    std::mt19937 rng(7);
    for (const Kind kind : kAllKinds) {
        for (int n = 0; n < 5000; ++n) {
            const Block input = RandomBlock(rng, kind);
            const Block table = RandomBlock(rng, kind);
            Block expected = input;
            Block actual = input;
            ReferenceDequantizeA(expected, table.data());
            DequantizeA(actual.data(), table.data());
            ASSERT_EQ(actual, expected);
            expected = input;
            actual = input;
            ReferenceDequantizeB(expected, table.data());
            DequantizeB(actual.data(), table.data());
            ASSERT_EQ(actual, expected);
        }
    }
}

// ---- Accuracy of every size

// The ideal picture of a block (level-shifted, not rounded) averaged over the size x size
// square of full-size samples that output sample (y, x) stands for.
double IdealAverage(const std::array<double, 64> &coefficients, int size, int y, int x) {
    const int step = 8 / size;
    const auto basis = [step](int k, int position) {
        double sum = 0;
        for (int j = 0; j < step; ++j) {
            sum += std::cos((2 * (position * step + j) + 1) * k * std::numbers::pi / 16);
        }
        return (k == 0 ? std::numbers::sqrt2 / 2 : 1.0) * sum / step;
    };
    double sum = 0;
    for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) {
            sum += coefficients[8 * v + u] * basis(v, y) * basis(u, x);
        }
    }
    return std::clamp(sum / 4 + 128, 0.0, 255.0);
}

// Every transform stays close to the ideal picture (averaged for the reduced sizes), and a
// reduced one leaves every entry outside its corner as it was.
TEST(InverseDct, EverySizeStaysCloseToTheIdealPicture) {
    const auto aan = [](int k) {
        return k == 0 ? 1.0 : std::numbers::sqrt2 * std::cos(k * std::numbers::pi / 16);
    };
    const struct {
        void (*transform)(int16_t *);
        bool familyA;
        int size;
        double tolerance;
    } cases[] = {
        {InverseDctB, false, 8, 0.75},       {InverseDctBHalf, false, 4, 0.75},
        {InverseDctBQuarter, false, 2, 0.75}, {InverseDctBEighth, false, 1, 0.75},
        // The fast transform keeps 16-bit column results and rounds its products early.
        {InverseDctA, true, 8, 3.0},          {InverseDctAHalf, true, 4, 1.0},
        {InverseDctAQuarter, true, 2, 1.0},   {InverseDctAEighth, true, 1, 0.75},
    };
    std::mt19937 rng(99);
    for (const auto &c : cases) {
        double worst = 0;
        for (int n = 0; n < 3000; ++n) {
            std::array<double, 64> coefficients{};
            Block input{};
            for (int i = 0; i < 64; ++i) {
                const int limit = i == 0 ? 1200 : 400 / (1 + (i >> 3) + (i & 7));
                const int value = std::uniform_int_distribution<int>(-limit, limit)(rng);
                coefficients[i] = value;
                // Family A receives what DequantizeA leaves: AAN-scaled, one fractional bit.
                input[i] = static_cast<int16_t>(
                    c.familyA ? std::lround(value * aan(i >> 3) * aan(i & 7) * 2) : value);
            }
            Block output = input;
            c.transform(output.data());
            for (int r = 0; r < 8; ++r) {
                for (int k = 0; k < 8; ++k) {
                    if (r < c.size && k < c.size) {
                        const double ideal = IdealAverage(coefficients, c.size, r, k);
                        worst = std::max(worst, std::abs(output[8 * r + k] - ideal));
                    } else {
                        ASSERT_EQ(output[8 * r + k], input[8 * r + k]) << r << "," << k;
                    }
                }
            }
        }
        EXPECT_LE(worst, c.tolerance) << "size " << c.size << (c.familyA ? " A" : " B");
    }
}

} // namespace
} // namespace rastrum
