// Processor identification and the processor class that selects the routine table.
#pragma once

#include <cstdint>

namespace rastrum {

struct ProcessorDescription {
    int32_t BrandIndex;
    int32_t Type;
    int32_t Family;
    int32_t Model;
    int32_t Stepping;
    uint32_t FeatureFlags; // leaf 1, EDX
    char VendorText[13];
};

inline constexpr uint32_t kFeatureMmx = 1u << 23;
inline constexpr uint32_t kFeatureSse = 1u << 25;
inline constexpr uint32_t kFeatureSse2 = 1u << 26;

// Reads the description with the processor identification instruction.
ProcessorDescription IdentifyProcessor();
// The class (0..6) that the family and feature flags give.
int32_t ClassFromDescription(const ProcessorDescription &description);
// The override from the environment variable RASTRUM_USECPU: 0..6, or -1 when unset or invalid.
int32_t ProcessorClassOverride();
// Override if present, otherwise the class of this processor.
int32_t DetectProcessorClass();

} // namespace rastrum
