// The routine table and the processor class that selects it: the class rules, the override from
// the environment, and the table that every class receives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "colour_output.h"
#include "dispatch_table.h"
#include "entropy_decoder.h"
#include "inverse_dct.h"
#include "processor_class.h"
#include "rastrum.h"

namespace {

using rastrum::kFeatureMmx;
using rastrum::kFeatureSse;
using rastrum::kFeatureSse2;

TEST(ProcessorClass, FromFamilyAndFeatures) {
    const struct {
        int32_t Family;
        uint32_t Features;
        int32_t Class;
    } cases[] = {
        {5, 0, 1},
        {5, kFeatureMmx, 3},
        {5, kFeatureMmx | kFeatureSse | kFeatureSse2, 3},
        {6, 0, 2},
        {6, kFeatureSse, 2},
        {6, kFeatureMmx, 4},
        {6, kFeatureMmx | kFeatureSse, 5},
        {6, kFeatureMmx | kFeatureSse | kFeatureSse2, 5},
        {15, kFeatureMmx | kFeatureSse | kFeatureSse2, 6},
        {15, kFeatureSse2, 6},
        {15, kFeatureMmx | kFeatureSse, 0},
        {4, kFeatureMmx | kFeatureSse | kFeatureSse2, 0},
        {0, 0, 0},
        {7, kFeatureMmx | kFeatureSse, 0},
    };
    for (const auto &c : cases) {
        rastrum::ProcessorDescription description{};
        description.Family = c.Family;
        description.FeatureFlags = c.Features;
        EXPECT_EQ(rastrum::ClassFromDescription(description), c.Class)
            << "family " << c.Family << " features " << std::hex << c.Features;
    }
}

TEST(ProcessorClass, IdentificationFillsTheDescription) {
    const rastrum::ProcessorDescription description = rastrum::IdentifyProcessor();
    EXPECT_EQ(std::strlen(description.VendorText), 12u);
    EXPECT_GE(description.Family, 0);
    EXPECT_LE(description.Family, 15);
    EXPECT_LE(description.Type, 3);
    // Every x86-64 processor has MMX, SSE and SSE2.
    EXPECT_NE(description.FeatureFlags & kFeatureSse2, 0u);
    std::printf("processor: vendor \"%s\", family %d, model %d, stepping %d -> class %d\n",
                description.VendorText, description.Family, description.Model, description.Stepping,
                rastrum::ClassFromDescription(description));
}

// Sets RASTRUM_USECPU for the lifetime of the object and restores the previous state after.
class UseCpuVariable {
  public:
    explicit UseCpuVariable(const char *value) {
        const char *previous = std::getenv(kName);
        hadPrevious_ = previous != nullptr;
        if (hadPrevious_) {
            previous_ = previous;
        }
        if (value == nullptr) {
            unsetenv(kName);
        } else {
            setenv(kName, value, 1);
        }
    }
    ~UseCpuVariable() {
        if (hadPrevious_) {
            setenv(kName, previous_.c_str(), 1);
        } else {
            unsetenv(kName);
        }
    }
    UseCpuVariable(const UseCpuVariable &) = delete;
    UseCpuVariable &operator=(const UseCpuVariable &) = delete;

  private:
    static constexpr const char *kName = "RASTRUM_USECPU";
    bool hadPrevious_ = false;
    std::string previous_;
};

TEST(ProcessorClass, EnvironmentOverride) {
    const int32_t detected = rastrum::ClassFromDescription(rastrum::IdentifyProcessor());
    // Only a plain decimal 0..6 overrides; everything else leaves the detected class.
    const struct {
        const char *Value;
        int32_t Override;
    } cases[] = {
        {nullptr, -1},       {"0", 0}, {"6", 6},    {"3", 3},   {"06", 6},  {"7", -1},
        {"-1", -1},          {"", -1}, {"abc", -1}, {"2x", -1}, {" 2", -1}, {"+2", -1},
        {"99999999999", -1},
    };
    for (const auto &c : cases) {
        UseCpuVariable variable(c.Value);
        const char *shown = c.Value ? c.Value : "(unset)";
        EXPECT_EQ(rastrum::ProcessorClassOverride(), c.Override) << "RASTRUM_USECPU=" << shown;
        EXPECT_EQ(rastrum::DetectProcessorClass(), c.Override >= 0 ? c.Override : detected)
            << "RASTRUM_USECPU=" << shown;
    }
}

TEST(ProcessorClass, CodecInitRecordsTheClass) {
    const int32_t detected = rastrum::ClassFromDescription(rastrum::IdentifyProcessor());
    for (const char *value : {static_cast<const char *>(nullptr), "2", "0"}) {
        UseCpuVariable variable(value);
        CodecProperties record{};
        ASSERT_EQ(CodecInit(&record), CODEC_SUCCESS);
        const int32_t expected = value ? std::atoi(value) : detected;
        EXPECT_EQ(record.CodecState.Stream.ProcessorClass, expected);
        EXPECT_EQ(record.CodecState.ProcessorClassCopy, expected);
        EXPECT_EQ(CodecFree(&record), CODEC_SUCCESS);
    }
}

// Every slot with the routine it must hold; nullptr for the per-call slots and for the encoder's
// slots, which stay empty until the encoder exists.
template <typename Routine> const void *Address(Routine routine) {
    return reinterpret_cast<const void *>(routine);
}

struct SlotCase {
    const char *Name;
    const void *Actual;
    const void *Expected;
};

std::vector<SlotCase> Slots(const DispatchTable &t) {
    using namespace rastrum;
    return {
        {"ForwardDctA", Address(t.ForwardDctA), nullptr},
        {"ForwardDctB", Address(t.ForwardDctB), nullptr},
        {"InverseDctA", Address(t.InverseDctA), Address(InverseDctA)},
        {"InverseDctAHalf", Address(t.InverseDctAHalf), Address(InverseDctAHalf)},
        {"InverseDctAQuarter", Address(t.InverseDctAQuarter), Address(InverseDctAQuarter)},
        {"InverseDctAEighth", Address(t.InverseDctAEighth), Address(InverseDctAEighth)},
        {"InverseDctB", Address(t.InverseDctB), Address(InverseDctB)},
        {"InverseDctBHalf", Address(t.InverseDctBHalf), Address(InverseDctBHalf)},
        {"InverseDctBQuarter", Address(t.InverseDctBQuarter), Address(InverseDctBQuarter)},
        {"InverseDctBEighth", Address(t.InverseDctBEighth), Address(InverseDctBEighth)},
        {"ActiveForwardDct", Address(t.ActiveForwardDct), nullptr},
        {"ActiveInverseDct", Address(t.ActiveInverseDct), nullptr},
        {"ActiveInverseDctHalf", Address(t.ActiveInverseDctHalf), nullptr},
        {"ActiveInverseDctQuarter", Address(t.ActiveInverseDctQuarter), nullptr},
        {"ActiveInverseDctEighth", Address(t.ActiveInverseDctEighth), nullptr},
        {"OpenOutput", Address(t.OpenOutput), nullptr},
        {"PutBytes", Address(t.PutBytes), nullptr},
        {"McuInput", Address(t.McuInput), nullptr},
        {"GreyInKernel", Address(t.GreyInKernel), nullptr},
        {"Rgb444InKernel", Address(t.Rgb444InKernel), nullptr},
        {"Rgb422InKernel", Address(t.Rgb422InKernel), nullptr},
        {"Rgb420InKernel", Address(t.Rgb420InKernel), nullptr},
        {"Bgr444InKernel", Address(t.Bgr444InKernel), nullptr},
        {"Bgr422InKernel", Address(t.Bgr422InKernel), nullptr},
        {"Bgr420InKernel", Address(t.Bgr420InKernel), nullptr},
        {"Copy444InKernel", Address(t.Copy444InKernel), nullptr},
        {"Copy422InKernel", Address(t.Copy422InKernel), nullptr},
        {"Copy420InKernel", Address(t.Copy420InKernel), nullptr},
        {"Packed422InKernel", Address(t.Packed422InKernel), nullptr},
        {"Rgba444InKernel", Address(t.Rgba444InKernel), nullptr},
        {"Rgba422InKernel", Address(t.Rgba422InKernel), nullptr},
        {"Rgba420InKernel", Address(t.Rgba420InKernel), nullptr},
        {"Copy4InKernel", Address(t.Copy4InKernel), nullptr},
        {"McuOutput", Address(t.McuOutput), nullptr},
        {"GreyKernel", Address(t.GreyKernel), Address(GreyKernelPlain)},
        {"Ycc444RgbKernel", Address(t.Ycc444RgbKernel), Address(Ycc444RgbKernelPlain)},
        {"Ycc422RgbKernel", Address(t.Ycc422RgbKernel), Address(Ycc422RgbKernelPlain)},
        {"Ycc420RgbKernel", Address(t.Ycc420RgbKernel), Address(Ycc420RgbKernelPlain)},
        {"Ycc444BgrKernel", Address(t.Ycc444BgrKernel), Address(Ycc444BgrKernelPlain)},
        {"Ycc422BgrKernel", Address(t.Ycc422BgrKernel), Address(Ycc422BgrKernelPlain)},
        {"Ycc420BgrKernel", Address(t.Ycc420BgrKernel), Address(Ycc420BgrKernelPlain)},
        {"Ycc444RgbaKernel", Address(t.Ycc444RgbaKernel), Address(Ycc444RgbaKernelPlain)},
        {"Ycc422RgbaKernel", Address(t.Ycc422RgbaKernel), Address(Ycc422RgbaKernelPlain)},
        {"Ycc420RgbaKernel", Address(t.Ycc420RgbaKernel), Address(Ycc420RgbaKernelPlain)},
        {"Copy444Kernel", Address(t.Copy444Kernel), Address(Copy444KernelPlain)},
        {"Copy422Kernel", Address(t.Copy422Kernel), Address(Copy422KernelPlain)},
        {"Copy420Kernel", Address(t.Copy420Kernel), Address(Copy420KernelPlain)},
        {"Copy444AlphaKernel", Address(t.Copy444AlphaKernel), Address(Copy444AlphaKernelPlain)},
        {"Pack422Kernel", Address(t.Pack422Kernel), Address(Pack422KernelPlain)},
        {"Ycck444Kernel", Address(t.Ycck444Kernel), Address(Ycck444KernelPlain)},
        {"Ycck422Kernel", Address(t.Ycck422Kernel), Address(Ycck422KernelPlain)},
        {"Ycck420Kernel", Address(t.Ycck420Kernel), Address(Ycck420KernelPlain)},
        {"Copy4Kernel", Address(t.Copy4Kernel), Address(Copy4KernelPlain)},
        {"EncodeBlock", Address(t.EncodeBlock), nullptr},
        {"DecodeBlock", Address(t.DecodeBlock), Address(DecodeBlockPlain)},
        {"SkipBlock", Address(t.SkipBlock), Address(SkipBlockPlain)},
        {"QuantizeA", Address(t.QuantizeA), nullptr},
        {"QuantizeB", Address(t.QuantizeB), nullptr},
        {"ActiveQuantize", Address(t.ActiveQuantize), Address(t.QuantizeA)},
        {"DequantizeA", Address(t.DequantizeA), Address(DequantizeA)},
        {"DequantizeB", Address(t.DequantizeB), Address(DequantizeB)},
        {"ActiveDequantize", Address(t.ActiveDequantize), Address(DequantizeA)},
    };
}

TEST(DispatchTable, EveryClassGetsThePlainRoutines) {
    for (int32_t processorClass : {0, 1, 2, 3, 4, 5, 6, 7, -1}) {
        DispatchTable table;
        std::memset(&table, 0x5A, sizeof table); // stale contents must all be replaced
        table.SosLength = 0;
        rastrum::FillDispatchTable(table, processorClass);
        const std::vector<SlotCase> slots = Slots(table);
        // EndCall is the 63rd slot; it must exist and be callable at the end of every call.
        ASSERT_EQ(slots.size() + 1, static_cast<size_t>(rastrum::kDispatchSlotCount));
        ASSERT_NE(table.EndCall, nullptr);
        table.EndCall();
        for (const SlotCase &slot : slots) {
            EXPECT_EQ(slot.Actual, slot.Expected) << slot.Name << " for class " << processorClass;
        }
    }
}

TEST(DispatchTable, CodecInitGivesEveryRecordItsOwnTable) {
    CodecProperties first{};
    CodecProperties second{};
    ASSERT_EQ(CodecInit(&first), CODEC_SUCCESS);
    ASSERT_EQ(CodecInit(&second), CODEC_SUCCESS);
    DispatchTable *a = first.CodecState.Stream.Dispatch;
    DispatchTable *b = second.CodecState.Stream.Dispatch;
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a, b);
    EXPECT_EQ(a->SosLength, 0);
    EXPECT_EQ(a->McuOutput, nullptr);
    EXPECT_EQ(a->McuInput, nullptr);
    EXPECT_EQ(a->ActiveInverseDct, nullptr);
    EXPECT_EQ(a->ActiveDequantize, a->DequantizeA);
    EXPECT_EQ(a->ActiveQuantize, a->QuantizeA);
    // A per-call choice on one record leaves the other untouched.
    a->ActiveDequantize = a->DequantizeB;
    EXPECT_EQ(b->ActiveDequantize, b->DequantizeA);
    EXPECT_EQ(CodecFree(&first), CODEC_SUCCESS);
    EXPECT_EQ(CodecFree(&second), CODEC_SUCCESS);
}

} // namespace
