#include "browser/samples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "core/paths.h"
#include "imaging/image_buffer.h"
#include "imaging/jpeg_codec.h"
#include "imaging/loaders.h"
#include "imaging/picture_type.h"
#include "platform/os/device_fs.h"
#include "tests/platform/temp_device.h"

namespace {

const std::string kSamples = "\\Program Files\\Velloran\\Samples";

// The pictures of a folder (appended to `pictures`), counted by type.
std::map<int, int> CountPictures(const std::string& folder, std::vector<std::string>* pictures) {
    std::map<int, int> found;
    std::vector<plat::FileInfo> entries;
    plat::DeviceFs::List(folder, &entries);
    for (const plat::FileInfo& e : entries) {
        const std::string path = folder + "\\" + e.name;
        const int type = e.isFolder ? 0 : imaging::PictureTypeFromContent(path);
        if (type == imaging::kPictureJpeg || type == imaging::kPictureBmp ||
            type == imaging::kPictureGif) {
            ++found[type];
            pictures->push_back(path);
        }
    }
    return found;
}

class InstalledSamples : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        device = new plat_test::TempDevice;
        installed = InstallProgramFolder();
    }
    static void TearDownTestSuite() { delete device; }
    static plat_test::TempDevice* device;
    static bool installed;
};
plat_test::TempDevice* InstalledSamples::device = nullptr;
bool InstalledSamples::installed = false;

TEST_F(InstalledSamples, EveryFormatLargeAndSmallAndASubFolder) {
    ASSERT_TRUE(installed);
    std::vector<std::string> pictures;
    std::map<int, int> all = CountPictures(kSamples, &pictures);
    const size_t top = pictures.size();
    for (const auto& [type, count] : CountPictures(kSamples + "\\Travel", &pictures))
        all[type] += count;
    EXPECT_GE(pictures.size(), 12u);
    EXPECT_EQ(pictures.size() - top, 3u) << "pictures in Travel";
    EXPECT_GE(all[imaging::kPictureJpeg], 1);
    EXPECT_GE(all[imaging::kPictureBmp], 2);
    EXPECT_GE(all[imaging::kPictureGif], 1);

    int cameras = 0, wide = 0, tall = 0, depth8 = 0, depth24 = 0;
    imaging::ImagingContext context;
    for (const std::string& path : pictures) {
        int fw = 0, fh = 0;
        imaging::ImageBuffer image;
        ASSERT_EQ(imaging::LoadImageFile(path, &image, 0, 0, context, &fw, &fh), 1) << path;
        if (fw == 4000 && fh == 3000)
            ++cameras;
        if (fw > fh)
            ++wide;
        if (fh > fw)
            ++tall;
        if (imaging::PictureTypeFromContent(path) == imaging::kPictureBmp) {
            std::string bytes;
            ASSERT_TRUE(plat::DeviceFs::ReadAll(path, &bytes));
            ASSERT_GT(bytes.size(), 30u);
            const int bits = static_cast<uint8_t>(bytes[28]);
            depth8 += bits == 8;
            depth24 += bits == 24;
        }
    }
    EXPECT_EQ(cameras, 2);
    EXPECT_GE(wide, 1);
    EXPECT_GE(tall, 1);
    EXPECT_GE(depth8, 1);
    EXPECT_GE(depth24, 1);
}

TEST_F(InstalledSamples, PicturesShowSomethingRatherThanAFlatColour) {
    std::vector<std::string> pictures;
    CountPictures(kSamples, &pictures);
    CountPictures(kSamples + "\\Travel", &pictures);
    imaging::ImagingContext context;
    for (const std::string& path : pictures) {
        imaging::ImageBuffer image;
        ASSERT_EQ(imaging::LoadImageFile(path, &image, 1, 0, context), 1) << path;
        double sum = 0, squares = 0;
        int count = 0;
        for (int y = 0; y < image.Height(); y += 3) {
            const uint8_t* row = image.RowPtr(y);
            for (int x = 0; x < image.Width() * 3; x += 5) {
                sum += row[x];
                squares += row[x] * row[x];
                ++count;
            }
        }
        const double mean = sum / count;
        const double deviation = std::sqrt(squares / count - mean * mean);
        EXPECT_GT(deviation, 20.0) << path;
        EXPECT_GT(mean, 25.0) << path;
    }
}

TEST_F(InstalledSamples, VoiceNoteHelpPageAndNoSecondInstall) {
    std::vector<plat::FileInfo> entries;
    ASSERT_TRUE(plat::DeviceFs::List(kSamples, &entries));
    int notes = 0;
    for (const plat::FileInfo& e : entries) {
        if (e.name.size() > 4 && e.name.substr(e.name.size() - 4) == ".wav") {
            const std::string picture = kSamples + "\\" + e.name.substr(0, e.name.size() - 4);
            EXPECT_GT(imaging::PictureTypeFromContent(picture), 0) << e.name;
            std::string bytes;
            ASSERT_TRUE(plat::DeviceFs::ReadAll(kSamples + "\\" + e.name, &bytes));
            EXPECT_EQ(bytes.substr(0, 4), "RIFF");
            ++notes;
        }
    }
    EXPECT_EQ(notes, 1);
    std::string help;
    ASSERT_TRUE(plat::DeviceFs::ReadAll("\\Program Files\\Velloran\\Help\\index.htm", &help));
    for (const char* words : {"Slide Show", "System Info", "Sort by", "Home Screen",
                              "Select Folder", "Properties", "Rotate", "Zoom", "Exit"}) {
        EXPECT_NE(help.find(words), std::string::npos) << words;
    }
    // A second start leaves a folder the user has changed alone.
    ASSERT_TRUE(plat::DeviceFs::Remove(kSamples + "\\Aurora.jpg"));
    EXPECT_TRUE(InstallProgramFolder());
    EXPECT_FALSE(plat::DeviceFs::Exists(kSamples + "\\Aurora.jpg"));
}

}  // namespace
