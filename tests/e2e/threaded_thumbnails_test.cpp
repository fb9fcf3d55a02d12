// Thumbnails decoded on worker threads give exactly what decoding while painting gives: the
// same screens and the same state, over the picture suites in tests/data.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/headless.h"

using testing_support::RunHeadless;
using testing_support::RunResult;
using testing_support::TempDevice;

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Walks the folder at 4 x 4 down to its end with a screenshot every ten rows, then at 2 x 2
// (every thumbnail made again at the new size); returns the screenshots and the final state.
RunResult Walk(const std::string& folder, int threads, std::vector<std::string>* shots) {
    TempDevice device;
    device.SkipSampleInstall();
    std::string keys = "cmd:40015 ";
    std::vector<std::string> files;
    for (int i = 0; i < 40; ++i) {
        keys += "Down ";
        if (i % 10 == 9) {
            files.push_back(device.Root() + "/shot" + std::to_string(i) + ".png");
            keys += "shot:" + files.back() + " ";
        }
    }
    files.push_back(device.Root() + "/small.png");
    keys += "cmd:40013 Up shot:" + files.back();
    RunResult r =
        RunHeadless(device, keys, true, {"--decode-threads", std::to_string(threads), folder});
    shots->clear();
    for (const std::string& f : files) {
        shots->push_back(ReadBytes(f));
    }
    shots->push_back(ReadBytes(r.screenshot));
    return r;
}

}  // namespace

TEST(ThreadedThumbnails, SameScreensAndStateAsDecodingWhilePainting) {
    const std::string data = VELLORAN_TEST_DATA;
    std::vector<std::string> folders;
    for (const auto& suite : std::filesystem::directory_iterator(data)) {
        if (!suite.is_directory()) {
            continue;
        }
        folders.push_back(suite.path().string());
        for (const auto& sub : std::filesystem::directory_iterator(suite.path())) {
            if (sub.is_directory()) {
                folders.push_back(sub.path().string());
            }
        }
    }
    if (folders.empty()) {
        GTEST_SKIP() << "no picture suites in " << data;
    }
    int decoded = 0;
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        std::vector<std::string> syncShots, threadShots;
        const RunResult sync = Walk(folder, 0, &syncShots);
        const RunResult threaded = Walk(folder, 2, &threadShots);
        ASSERT_EQ(sync.exitCode, 0) << sync.stderrText;
        ASSERT_EQ(threaded.exitCode, 0) << threaded.stderrText;
        EXPECT_EQ(sync.stateText, threaded.stateText);
        ASSERT_EQ(syncShots.size(), threadShots.size());
        for (size_t i = 0; i < syncShots.size(); ++i) {
            EXPECT_FALSE(syncShots[i].empty()) << "screenshot " << i;
            EXPECT_TRUE(syncShots[i] == threadShots[i]) << "screenshot " << i << " differs";
        }
        const auto& entries = threaded.state["fileList"]["entries"];
        for (size_t i = 0; i < entries.Size(); ++i) {
            decoded += entries[i]["imageWidth"].Int() > 0 ? 1 : 0;
        }
    }
    // The walks really decoded pictures (a grid that showed none would compare equal too).
    EXPECT_GT(decoded, 120);
}
