// The codec keeps no process-wide state: records used on several threads at the same time
// decode exactly as they do one after the other.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/jpeg_fixtures.h"
#include "support/rastrum_decode.h"

namespace {

TEST(ConcurrentRecords, ThreadsDecodeTheSamePixelsAsOneThread) {
    const struct {
        const char *Name;
        const char *Arguments;
    } kinds[] = {
        {"thread_baseline.jpg", "-quality 90"},
        {"thread_progressive.jpg", "-quality 90 -progressive -sample 1x1"},
        {"thread_restarts.jpg", "-quality 90 -restart 1B -sample 2x1"},
        {"thread_grey.jpg", "-quality 90 -grayscale"},
    };
    std::vector<std::string> paths;
    std::vector<fixtures::Picture> expected;
    for (const auto &kind : kinds) {
        const fixtures::Picture source =
            fixtures::MakeRichPicture(120, 72, std::string(kind.Name) == "thread_grey.jpg" ? 1 : 3);
        paths.push_back(fixtures::EncodeWithCjpeg(source, kind.Arguments, kind.Name));
        expected.push_back(fixtures::DecodeWithRastrum(paths.back(), {}).Output);
    }

    constexpr int kRounds = 20;
    std::vector<int> mismatches(paths.size(), 0);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < paths.size(); ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < kRounds; ++round) {
                fixtures::DecodeRequest request;
                request.ImageMode = round % 2 == 0 ? IO_READ_IMAGE_MEMORY : IO_READ_IMAGE_FILE;
                const fixtures::DecodeResult decoded =
                    fixtures::DecodeWithRastrum(paths[i], request);
                if (decoded.ImageResult != 0 || decoded.Output.Pixels != expected[i].Pixels) {
                    ++mismatches[i];
                }
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(mismatches[i], 0) << kinds[i].Name;
    }
}

} // namespace
