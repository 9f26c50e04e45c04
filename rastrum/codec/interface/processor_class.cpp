// Processor identification and the class that selects the routine table.  The description is
// returned by value: nothing here is shared between records, so two records may be set up on
// two threads at once.
#include "processor_class.h"

#include <cpuid.h>

#include <cstdlib>
#include <cstring>

namespace rastrum {

ProcessorDescription IdentifyProcessor() {
    ProcessorDescription description{};
    std::memset(description.VendorText, ' ', 12);
    description.VendorText[12] = '\0';

    unsigned int eax = 0;
    unsigned int ebx = 0;
    unsigned int ecx = 0;
    unsigned int edx = 0;
    if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) == 0) {
        return description;
    }
    // The vendor text is spelt by EBX, EDX, ECX in this order.
    std::memcpy(description.VendorText + 0, &ebx, 4);
    std::memcpy(description.VendorText + 4, &edx, 4);
    std::memcpy(description.VendorText + 8, &ecx, 4);
    const unsigned int highestLeaf = eax;
    if (highestLeaf < 1 || __get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) {
        return description;
    }
    description.BrandIndex = static_cast<int32_t>(ebx & 0xFFu);
    description.Type = static_cast<int32_t>((eax >> 12) & 0x3u);
    description.Family = static_cast<int32_t>((eax >> 8) & 0xFu);
    description.Model = static_cast<int32_t>((eax >> 4) & 0xFu);
    description.Stepping = static_cast<int32_t>(eax & 0xFu);
    description.FeatureFlags = edx;
    return description;
}

int32_t ClassFromDescription(const ProcessorDescription &description) {
    const bool mmx = (description.FeatureFlags & kFeatureMmx) != 0;
    const bool sse = (description.FeatureFlags & kFeatureSse) != 0;
    const bool sse2 = (description.FeatureFlags & kFeatureSse2) != 0;
    switch (description.Family) {
    case 5:
        return mmx ? 3 : 1;
    case 6:
        if (!mmx) {
            return 2;
        }
        return sse ? 5 : 4;
    case 15:
        return sse2 ? 6 : 0;
    default:
        return 0;
    }
}

int32_t ProcessorClassOverride() {
    const char *text = std::getenv("RASTRUM_USECPU");
    if (text == nullptr || *text == '\0') {
        return -1;
    }
    // Only plain decimal digits count; a sign, blanks or any other character void the value.
    int32_t value = 0;
    for (const char *c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') {
            return -1;
        }
        value = value * 10 + (*c - '0');
        if (value > 6) {
            return -1;
        }
    }
    return value;
}

int32_t DetectProcessorClass() {
    const int32_t forced = ProcessorClassOverride();
    if (forced >= 0) {
        return forced;
    }
    return ClassFromDescription(IdentifyProcessor());
}

} // namespace rastrum
