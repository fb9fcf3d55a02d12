// Thumbnails decoded on worker threads give exactly the screens and the state that decoding
// while painting gives, over the picture suites in tests/data.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/headless.h"

namespace {

// Walks the folder at 4 x 4 to its end, a screenshot every ten rows, then 2 x 2 (every
// thumbnail made again); returns the state and appends the screenshots' bytes.
testing_support::RunResult Walk(const std::string& folder, int threads,
                                std::vector<std::string>* shots) {
    testing_support::TempDevice device;
    device.SkipSampleInstall();
    std::string keys = "cmd:40015 ";
    for (int i = 1; i <= 40; ++i) {
        keys += "Down " + (i % 10 ? "" : "shot:" + device.Root() + "/" + std::to_string(i) + " ");
    }
    keys += "cmd:40013 Up";
    const auto r = testing_support::RunHeadless(
        device, keys, true, {"--decode-threads", std::to_string(threads), folder});
    for (const char* name : {"10", "20", "30", "40"}) {
        std::ifstream in(device.Root() + "/" + name, std::ios::binary);
        shots->emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::ifstream last(r.screenshot, std::ios::binary);
    shots->emplace_back(std::istreambuf_iterator<char>(last), std::istreambuf_iterator<char>());
    return r;
}

}  // namespace

TEST(ThreadedThumbnails, SameScreensAndStateAsDecodingWhilePainting) {
    std::vector<std::string> folders;
    for (const auto& e : std::filesystem::recursive_directory_iterator(VELLORAN_TEST_DATA)) {
        if (e.is_directory()) {
            folders.push_back(e.path().string());
        }
    }
    if (folders.empty()) {
        GTEST_SKIP() << "no picture suites in " << VELLORAN_TEST_DATA;
    }
    int decoded = 0;
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        std::vector<std::string> syncShots, threadShots;
        const auto sync = Walk(folder, 0, &syncShots);
        const auto threaded = Walk(folder, 2, &threadShots);
        ASSERT_EQ(sync.exitCode, 0) << sync.stderrText;
        ASSERT_EQ(threaded.exitCode, 0) << threaded.stderrText;
        EXPECT_EQ(sync.stateText, threaded.stateText);
        for (size_t i = 0; i < syncShots.size(); ++i) {
            EXPECT_FALSE(syncShots[i].empty()) << "screenshot " << i;
            EXPECT_TRUE(syncShots[i] == threadShots[i]) << "screenshot " << i << " differs";
        }
        const auto& entries = threaded.state["fileList"]["entries"];
        for (size_t i = 0; i < entries.Size(); ++i) {
            decoded += entries[i]["imageWidth"].Int() > 0 ? 1 : 0;
        }
    }
    // The walks really decoded pictures (grids that showed none would compare equal too).
    EXPECT_GT(decoded, 120);
}
