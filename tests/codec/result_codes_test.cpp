// Every result code has its exact message; unknown codes share one.
#include <gtest/gtest.h>

#include <string>

#include "rastrum.h"

TEST(ResultCodes, EveryCodeHasItsMessage) {
    const struct {
        CodecError code;
        const char *text;
    } cases[] = {
        {0, "Success"},
        {1, "Interrupt Success"},
        {2, "ROI Success"},
        {-1, "Exception detected"},
        {-5, "Memory error"},
        {-8, "Invalid codec properties"},
        {-20, "Multiply frame"},
        {-27, "Thumbnail has wrong color"},
        {-29, "Unsupported frame was found"},
        {-30, "Error access to comment buffer"},
        {-99, "Reserved"},
        {-31, "Unknown error code"},
        {3, "Unknown error code"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(std::string(CodecErrorText(c.code)), c.text) << c.code;
    }
}

TEST(Version, RecordNamesTheLibrary) {
    const CodecVersionInfo *version = CodecVersion();
    EXPECT_EQ(version->Major, 2);
    EXPECT_EQ(version->Minor, 4);
    EXPECT_EQ(version->Build, 7);
    EXPECT_STREQ(version->LibraryName, "librastrum.so");
    EXPECT_STREQ(version->InternalVersionText, "[2.4.7.19]");
}
